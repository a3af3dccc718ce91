// Prints the benchmark table from the JSON files of the benchmark programs (run with
// repetitions and aggregates): for each figure ours, its floor or peer, the ratio, the goal and
// whether it is met. Medians throughout. Usage: bench-table RESULT.json...
// Exits 3 when a figure could not be read (a program failed); a missed goal is part of the table.
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

enum class Goal
{
    Report,      // no goal: the figure is shown
    RatioAtMost, // ours / floor <= Limit
    BelowMs      // ours < Limit milliseconds
};

// Which number of a result to read: its CPU time, its wall-clock time, or a counter.
struct Field
{
    const char* Counter = nullptr; // a counter by name; otherwise a time
    bool Wall = false;
};

struct Row
{
    const char* Figure;
    const char* Measure;
    const char* Ours;
    const char* Floor; // empty: no floor or peer
    Field What;
    Goal Kind;
    double Limit;
    bool Memory = false; // the field is KiB, not nanoseconds / microseconds
};

const Field kCpu{};
const Field kWall{nullptr, true};

const std::vector<Row> kRows = {
    {"1", "Paint RLabBin / fill", "BM_Paint/RLabBin", "BM_Fill/RLabBin", kCpu, Goal::RatioAtMost, 4},
    {"1", "Paint RLabAscii / fill", "BM_Paint/RLabAscii", "BM_Fill/RLabAscii", kCpu, Goal::RatioAtMost, 4},
    {"2", "click step-up (offscreen)", "BM_ClickStepUp", "", kCpu, Goal::BelowMs, 1},
    {"3", "BuildGlyphTable default", "BM_BuildGlyphTable/default", "", kCpu, Goal::Report, 0},
    {"3", "BuildGlyphTable Courier New -27 bold", "BM_BuildGlyphTable/CourierNew27Bold", "", kCpu,
     Goal::BelowMs, 3},
    {"4", "LoadFromStream 1 MB / memmem scan", "BM_LoadFromStream", "BM_ScanTerminators", kCpu,
     Goal::RatioAtMost, 3},
    {"4", "Translate, 10,000 keys (per call)", "BM_Translate", "", kCpu, Goal::Report, 0},
    {"5",
     "SendTo p50 / raw ping-pong p50",
     "BM_SendToServer/iterations:4000",
     "BM_RawPingPong/iterations:4000",
     {"p50_us"},
     Goal::RatioAtMost,
     3},
    {"5",
     "SendTo p99 / raw ping-pong p99",
     "BM_SendToServer/iterations:4000",
     "BM_RawPingPong/iterations:4000",
     {"p99_us"},
     Goal::RatioAtMost,
     3},
    {"6", "start-up to About box / one dialog", "BM_Startup/bytescope/iterations:8/manual_time",
     "BM_Startup/baseline/iterations:8/manual_time", kWall, Goal::RatioAtMost, 1.3},
    {"6",
     "resident memory then / one dialog",
     "BM_Startup/bytescope/iterations:8/manual_time",
     "BM_Startup/baseline/iterations:8/manual_time",
     {"rss_kib"},
     Goal::RatioAtMost,
     1.2,
     true},
    {"7",
     "SendTo p99 beside 20 stalled peers / SendTo p99",
     "BM_SendToServerBesideStalledPeers/iterations:4000",
     "BM_SendToServer/iterations:4000",
     {"p99_us"},
     Goal::RatioAtMost,
     2},
};

double NanosecondsPer(const QString& unit)
{
    if (unit == "ns")
        return 1;
    if (unit == "us")
        return 1e3;
    if (unit == "ms")
        return 1e6;
    return 1e9;
}

// run_name -> its median aggregate (or its only run when there were no repetitions).
std::map<std::string, QJsonObject> ReadResults(int count, char** files)
{
    std::map<std::string, QJsonObject> results;
    for (int i = 0; i < count; ++i) {
        QFile file(QString::fromLocal8Bit(files[i]));
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "bench-table: cannot read %s\n", files[i]);
            continue;
        }
        const QJsonArray benchmarks =
            QJsonDocument::fromJson(file.readAll()).object().value("benchmarks").toArray();
        for (const QJsonValue& value : benchmarks) {
            const QJsonObject run = value.toObject();
            const std::string name = run.value("run_name").toString().toStdString();
            const QString aggregate = run.value("aggregate_name").toString();
            if (aggregate == "median" || (aggregate.isEmpty() && results.count(name) == 0))
                results[name] = run;
        }
    }
    return results;
}

// The field in nanoseconds (times, and counters in microseconds) or KiB (memory).
std::optional<double> Value(const std::map<std::string, QJsonObject>& results, const char* name,
                            const Field& field, bool memory)
{
    const auto found = results.find(name);
    if (found == results.end() || found->second.contains("error_occurred"))
        return std::nullopt;
    const QJsonObject& run = found->second;
    if (field.Counter != nullptr) {
        if (!run.contains(field.Counter))
            return std::nullopt;
        const double value = run.value(field.Counter).toDouble();
        return memory ? value : value * 1e3;
    }
    const double time = run.value(field.Wall ? "real_time" : "cpu_time").toDouble();
    return time * NanosecondsPer(run.value("time_unit").toString());
}

std::string Format(std::optional<double> value, bool memory)
{
    if (!value)
        return "-";
    char text[32];
    if (memory)
        std::snprintf(text, sizeof text, "%.1f MiB", *value / 1024);
    else if (*value >= 1e6)
        std::snprintf(text, sizeof text, "%.2f ms", *value / 1e6);
    else if (*value >= 1e3)
        std::snprintf(text, sizeof text, "%.1f us", *value / 1e3);
    else
        std::snprintf(text, sizeof text, "%.0f ns", *value);
    return text;
}

std::string GoalText(const Row& row)
{
    char text[32];
    switch (row.Kind) {
    case Goal::Report:
        return "report";
    case Goal::RatioAtMost:
        std::snprintf(text, sizeof text, "<= %gx", row.Limit);
        return text;
    case Goal::BelowMs:
        std::snprintf(text, sizeof text, "< %g ms", row.Limit);
        return text;
    }
    return {};
}

} // namespace

int main(int argc, char** argv)
{
    const auto results = ReadResults(argc - 1, argv + 1);
    std::printf("| Fig. | Measure | Ours | Floor / peer | Ratio | Goal | Met |\n");
    std::printf("|---|---|---:|---:|---:|---|---|\n");
    int unmeasured = 0;
    for (const Row& row : kRows) {
        const auto ours = Value(results, row.Ours, row.What, row.Memory);
        const bool hasFloor = row.Floor[0] != '\0';
        const auto floor = hasFloor ? Value(results, row.Floor, row.What, row.Memory) : std::nullopt;
        std::string ratio = "-";
        std::optional<double> factor;
        if (ours && floor && *floor > 0) {
            factor = *ours / *floor;
            char text[32];
            std::snprintf(text, sizeof text, "%.2f", *factor);
            ratio = text;
        }
        std::string met = "-";
        if (row.Kind == Goal::RatioAtMost && factor)
            met = *factor <= row.Limit ? "yes" : "no";
        else if (row.Kind == Goal::BelowMs && ours)
            met = *ours < row.Limit * 1e6 ? "yes" : "no";
        else if (row.Kind != Goal::Report)
            met = "not measured";
        if (met == "not measured")
            ++unmeasured;
        std::printf("| %s | %s | %s | %s | %s | %s | %s |\n", row.Figure, row.Measure,
                    Format(ours, row.Memory).c_str(), hasFloor ? Format(floor, row.Memory).c_str() : "-",
                    ratio.c_str(), GoalText(row).c_str(), met.c_str());
    }
    return unmeasured == 0 ? 0 : 3;
}
