// Figure 4: reading a 1 MB language file of 10,000 entries, beside one scan of the same bytes for
// the entry terminator; and a lookup in a table of 10,000 keys.
#include "i18n/TBabelfish2000.h"
#include "util/Stream.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <string>
#include <string_view>

namespace {

constexpr int kEntries = 10000;
constexpr std::size_t kFileBytes = 1000000;

std::string KeyOf(int i)
{
    return "Key" + std::to_string(i);
}

// Entries of about 100 bytes each, as a teacher writes them.
const std::string& LanguageFile()
{
    static const std::string bytes = [] {
        const std::size_t perEntry = kFileBytes / kEntries;
        std::string file;
        file.reserve(kFileBytes + 256);
        for (int i = 0; i < kEntries; ++i) {
            // Half the entries carry a line-break escape, as in the shipped language files.
            std::string entry = "[";
            entry.append(KeyOf(i))
                .append("]=Text number ")
                .append(std::to_string(i))
                .append(" for the window");
            entry.append(i % 2 == 0 ? ",\\n" : ".");
            const std::string tail = "|$$\r\n";
            while (entry.size() + tail.size() < perEntry)
                entry += (entry.size() % 7 == 0) ? ' ' : static_cast<char>('a' + entry.size() % 26);
            file += entry + tail;
        }
        return file;
    }();
    return bytes;
}

void BM_LoadFromStream(benchmark::State& state)
{
    TBabelfish2000 engine("Bytescope");
    TMemoryStream stream(LanguageFile());
    for (auto _ : state) {
        engine.LoadFromStream(stream);
        benchmark::DoNotOptimize(engine.Keys().data());
    }
    if (engine.Keys().size() != kEntries)
        state.SkipWithError("the language file did not give every entry");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * LanguageFile().size()));
}

// The floor: one pass over the same bytes finding every terminator.
void BM_ScanTerminators(benchmark::State& state)
{
    const std::string& file = LanguageFile();
    for (auto _ : state) {
        std::size_t found = 0;
        const char* at = file.data();
        const char* const end = file.data() + file.size();
        while (const void* hit = memmem(at, static_cast<std::size_t>(end - at), "|$$", 3)) {
            ++found;
            at = static_cast<const char*>(hit) + 3;
        }
        benchmark::DoNotOptimize(found);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * file.size()));
}

// Every key in turn, so the average is a scan over half the table.
void BM_Translate(benchmark::State& state)
{
    TBabelfish2000 engine("Bytescope");
    TMemoryStream stream(LanguageFile());
    engine.LoadFromStream(stream);
    std::vector<std::string> keys;
    for (int i = 0; i < kEntries; ++i)
        keys.push_back(KeyOf(i));
    std::size_t next = 0;
    for (auto _ : state) {
        std::string text = engine.Translate(keys[next]);
        benchmark::DoNotOptimize(text.data());
        next = next + 1 == keys.size() ? 0 : next + 1;
    }
}

} // namespace

BENCHMARK(BM_LoadFromStream)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ScanTerminators)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Translate)->Unit(benchmark::kMicrosecond);
