#include "i18n/TranslateComponent.h"

#include "controls/hyperlink/TUrlLab.h"
#include "i18n/TBabelfish2000.h"
#include "i18n/TCollection.h"
#include "util/Stream.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <QWidget>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>

using ::testing::ElementsAre;

namespace {

// A component with the kinds of published properties the walk tells apart.
class TSample : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString Name READ Name WRITE SetName)
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(QStringList Lines READ Lines WRITE SetLines)
    Q_PROPERTY(TCollection* Columns READ Columns)
    Q_PROPERTY(QObject* Buddy READ Buddy)
    Q_PROPERTY(QByteArray Bytes READ Bytes WRITE SetBytes)
    Q_PROPERTY(int Count READ Count WRITE SetCount)
public:
    explicit TSample(QObject* parent) : QObject(parent) {}

    QString Name() const { return FName; }
    void SetName(const QString& value) { FName = value; }
    QString Caption() const { return FCaption; }
    void SetCaption(const QString& value) { FCaption = value; }
    QStringList Lines() const { return FLines; }
    void SetLines(const QStringList& value)
    {
        FLines = value;
        ++LinesWritten;
    }
    TCollection* Columns() const { return FColumns.get(); }
    QObject* Buddy() const { return FBuddy; }
    void SetBuddy(QObject* buddy) { FBuddy = buddy; }
    QByteArray Bytes() const { return FBytes; }
    void SetBytes(const QByteArray& value) { FBytes = value; }
    int Count() const { return FCount; }
    void SetCount(int value) { FCount = value; }

    int LinesWritten = 0;

private:
    QString FName;
    QString FCaption;
    QStringList FLines;
    std::unique_ptr<TCollection> FColumns = std::make_unique<TCollection>();
    QObject* FBuddy = nullptr;
    QByteArray FBytes;
    int FCount = 0;
};

// A sample whose Lines are shown as lines, as in a memo.
class TLinesSample : public TSample
{
    Q_OBJECT
    Q_CLASSINFO("bytescope.linesProperty", "Lines")
public:
    using TSample::TSample;
};

// A label that publishes QLabel's text again as Caption, and the inherited toolTip again
// under its own name; each write through its own setters is counted.
class TCaptioned : public QLabel
{
    Q_OBJECT
    Q_CLASSINFO("bytescope.republishes", "text=Caption, toolTip = Hint")
    Q_PROPERTY(QString Caption READ text WRITE SetCaption)
    Q_PROPERTY(QString Hint READ toolTip WRITE SetHint)
    Q_PROPERTY(QString statusTip READ statusTip WRITE SetStatusTip)
public:
    using QLabel::QLabel;
    void SetCaption(const QString& value)
    {
        setText(value);
        Writes.append(QStringLiteral("Caption=") + value);
    }
    void SetHint(const QString& value)
    {
        setToolTip(value);
        Writes.append(QStringLiteral("Hint=") + value);
    }
    void SetStatusTip(const QString& value)
    {
        setStatusTip(value);
        Writes.append(QStringLiteral("statusTip=") + value);
    }

    QStringList Writes;
};

// An item of a collection.
class TColumn : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
public:
    QString Caption() const { return FCaption; }
    void SetCaption(const QString& value) { FCaption = value; }

private:
    QString FCaption;
};

TColumn* AddColumn(TCollection& collection, const QString& caption)
{
    auto* column = static_cast<TColumn*>(collection.Add(std::make_unique<TColumn>()));
    column->SetCaption(caption);
    return column;
}

void Load(TBabelfish2000& engine, const std::string& bytes)
{
    TMemoryStream stream(bytes);
    engine.LoadFromStream(stream);
}

// A small window: a title, a button, a frame holding a label (two levels down) and a sample,
// named as stored windows name them; and helpers of the kind Qt makes for a control, without a
// name or with a "qt_" one, whose texts mirror their control's.
struct TWindow
{
    QWidget Form;
    QPushButton* Exit = Named(new QPushButton(QStringLiteral("BF_Exit"), &Form), "BButExit");
    QFrame* Panel = Named(new QFrame(&Form), "Panel1");
    QLabel* Inner = Named(new QLabel(QStringLiteral("BF_ASCII"), Panel), "Label1");
    TSample* Sample = Named(new TSample(&Form), "Sample");
    QLabel* Helper = new QLabel(QStringLiteral("BF_Exit"), Exit);
    QLabel* QtHelper = Named(new QLabel(QStringLiteral("BF_ASCII"), Panel), "qt_helper");
    QLabel* InHelper = Named(new QLabel(QStringLiteral("BF_ASCII"), Helper), "Inside");

    TWindow()
    {
        Form.setWindowTitle(QStringLiteral("BF_ASCII Encoding"));
        Form.setObjectName(QStringLiteral("BF_FrmMain"));
        Panel->setToolTip(QStringLiteral("bf_Exit"));
        Inner->setToolTip(QStringLiteral("Press BF_Exit"));
    }

    template <typename T>
    static T* Named(T* object, const char* name)
    {
        object->setObjectName(QString::fromLatin1(name));
        return object;
    }
};

} // namespace

TEST(TranslateComponent, TranslatesEveryOwnedComponentAndKeepsOtherTexts)
{
    TBabelfish2000 engine("");
    Load(engine, "[Exit]=Ende|$$[ascii encoding]=ASCII-Kodierung|$$[caption]=Titel|$$");
    TWindow window;
    window.Sample->SetName(QStringLiteral("BF_Exit"));
    window.Sample->SetCaption(QStringLiteral("BF_Caption"));
    window.Sample->SetBytes("BF_Exit");
    window.Sample->setProperty("Dynamic", QStringLiteral("BF_Exit"));
    TranslateComponent(engine, &window.Form);

    EXPECT_EQ(window.Form.windowTitle(), QStringLiteral("ASCII-Kodierung"));
    EXPECT_EQ(window.Exit->text(), QStringLiteral("Ende"));
    // Missing from the table: the key without its prefix.
    EXPECT_EQ(window.Inner->text(), QStringLiteral("ASCII"));
    EXPECT_EQ(window.Sample->Caption(), QStringLiteral("Titel"));
    // Names, small-letter prefixes, the prefix inside a text and non-QString texts stay.
    EXPECT_EQ(window.Form.objectName(), QStringLiteral("BF_FrmMain"));
    EXPECT_EQ(window.Sample->Name(), QStringLiteral("BF_Exit"));
    EXPECT_EQ(window.Panel->toolTip(), QStringLiteral("bf_Exit"));
    EXPECT_EQ(window.Inner->toolTip(), QStringLiteral("Press BF_Exit"));
    EXPECT_EQ(window.Sample->Bytes(), QByteArray("BF_Exit"));
    EXPECT_EQ(window.Sample->property("Dynamic").toString(), QStringLiteral("BF_Exit"));
    // Helpers, and what lies below them, are not components.
    EXPECT_EQ(window.Helper->text(), QStringLiteral("BF_Exit"));
    EXPECT_EQ(window.QtHelper->text(), QStringLiteral("BF_ASCII"));
    EXPECT_EQ(window.InHelper->text(), QStringLiteral("BF_ASCII"));

    // A second walk changes nothing more.
    window.Exit->setText(QStringLiteral("Ende"));
    TranslateComponent(engine, &window.Form);
    EXPECT_EQ(window.Form.windowTitle(), QStringLiteral("ASCII-Kodierung"));
    EXPECT_EQ(window.Exit->text(), QStringLiteral("Ende"));
}

TEST(TranslateComponent, ThePrefixAloneGivesTheEmptyKeyAndTextsCrossAsWindows1252)
{
    TBabelfish2000 engine("");
    TWindow window;
    window.Exit->setText(QStringLiteral("BF_"));
    window.Inner->setText(QStringLiteral("BF_\u00C4rger \u20AC"));
    TranslateComponent(engine, &window.Form);
    EXPECT_EQ(window.Exit->text(), QString());
    EXPECT_EQ(window.Inner->text(), QStringLiteral("\u00C4rger \u20AC"));

    Load(engine, "[]=Leer|$$[\xE4rger \x80]=Euro|$$");
    window.Exit->setText(QStringLiteral("BF_"));
    window.Inner->setText(QStringLiteral("BF_\u00E4rger \u20AC"));
    TranslateComponent(engine, &window.Form);
    EXPECT_EQ(window.Exit->text(), QStringLiteral("Leer"));
    EXPECT_EQ(window.Inner->text(), QStringLiteral("Euro"));
}

TEST(TranslateComponent, ASkippedObjectKeepsItsTextsWhileItsComponentsAreWalked)
{
    TBabelfish2000 engine("");
    TWindow window;
    std::vector<QObject*> asked;
    engine.OnTranslateObject = [&](TBabelfish2000& sender, QObject* instance, bool& doTranslate) {
        EXPECT_EQ(&sender, &engine);
        EXPECT_TRUE(doTranslate);
        asked.push_back(instance);
        doTranslate = instance != &window.Form;
    };
    TranslateComponent(engine, &window.Form);
    EXPECT_EQ(window.Form.windowTitle(), QStringLiteral("BF_ASCII Encoding"));
    EXPECT_EQ(window.Exit->text(), QStringLiteral("Exit"));
    EXPECT_EQ(window.Inner->text(), QStringLiteral("ASCII"));
    // Depth-first in creation order, components only.
    EXPECT_THAT(asked, ElementsAre(&window.Form, window.Exit, window.Panel, window.Inner, window.Sample));
}

TEST(TranslateComponent, StringListLinesAreVisitedBackwardsAndBreaksBecomeLinesWhereShownAsLines)
{
    TBabelfish2000 engine("");
    Load(engine, "[explain]=First\\nSecond|$$[b]=Bee|$$");
    std::vector<std::string> order;
    engine.OnTranslateKey = [&](TBabelfish2000&, const std::string& key, std::string&) {
        order.push_back(key);
    };
    TWindow window;
    auto* memo = new TLinesSample(&window.Form);
    const QStringList stored{QStringLiteral("BF_Explain"), QString(), QStringLiteral("BF_b"),
                             QStringLiteral("bf_b"), QStringLiteral("BF_Missing")};
    memo->SetLines(stored);
    window.Sample->SetLines(stored);
    TranslateComponent(engine, memo);
    EXPECT_THAT(order, ElementsAre("b", "Explain"));
    EXPECT_EQ(memo->Lines(),
              (QStringList{QStringLiteral("First"), QStringLiteral("Second"), QString(),
                           QStringLiteral("Bee"), QStringLiteral("bf_b"), QStringLiteral("Missing")}));
    EXPECT_EQ(memo->LinesWritten, 2);

    // A list that is not shown as lines keeps one line per line, the break inside it.
    TranslateComponent(engine, &window.Form);
    EXPECT_EQ(window.Sample->Lines(),
              (QStringList{QStringLiteral("First\r\nSecond"), QString(), QStringLiteral("Bee"),
                           QStringLiteral("bf_b"), QStringLiteral("Missing")}));
    EXPECT_EQ(window.Sample->LinesWritten, 2);

    // A list without a qualifying line is not written at all.
    TranslateComponent(engine, &window.Form);
    EXPECT_EQ(window.Sample->LinesWritten, 2);
    EXPECT_EQ(memo->LinesWritten, 2);
}

TEST(TranslateComponent, CollectionItemsAreTranslatedButOtherObjectsAreNot)
{
    TBabelfish2000 engine("");
    Load(engine, "[one]=Eins|$$");
    TWindow window;
    TColumn* first = AddColumn(*window.Sample->Columns(), QStringLiteral("BF_One"));
    TColumn* second = AddColumn(*window.Sample->Columns(), QStringLiteral("BF_Two"));
    // A referenced object is not walked through the reference.
    TColumn referenced;
    referenced.SetCaption(QStringLiteral("BF_One"));
    window.Sample->SetBuddy(&referenced);

    std::vector<QObject*> asked;
    engine.OnTranslateObject = [&](TBabelfish2000&, QObject* instance, bool&) {
        asked.push_back(instance);
    };
    TranslateComponent(engine, window.Sample);
    EXPECT_EQ(first->Caption(), QStringLiteral("Eins"));
    EXPECT_EQ(second->Caption(), QStringLiteral("Two"));
    EXPECT_EQ(referenced.Caption(), QStringLiteral("BF_One"));
    EXPECT_THAT(asked, ElementsAre(window.Sample, first, second));
}

TEST(TranslateComponent, APropertyPublishedAgainIsWrittenOnceThroughTheControlsSetter)
{
    TBabelfish2000 engine("");
    Load(engine, "[homepage]=A home page with a rather long name|$$");
    std::vector<std::string> keys;
    engine.OnTranslateKey = [&keys](TBabelfish2000&, const std::string& key, std::string&) {
        keys.push_back(key);
    };
    QWidget form;
    auto* label = new TCaptioned(QStringLiteral("BF_HomePage"), &form);
    label->setObjectName(QStringLiteral("Label"));
    label->setToolTip(QStringLiteral("BF_HomePage"));
    label->setStatusTip(QStringLiteral("BF_HomePage"));
    TranslateComponent(engine, &form);
    // In the order of first publication: QWidget's toolTip and statusTip, then QLabel's text.
    EXPECT_EQ(label->Writes.join(QStringLiteral(" | ")).toStdString(),
              "Hint=A home page with a rather long name | statusTip=A home page with a rather long name | "
              "Caption=A home page with a rather long name");
    EXPECT_EQ(keys.size(), 3u);

    // A hyperlink sized to its caption is as wide after the walk as after SetCaption.
    auto* walked = new TUrlLab(&form);
    walked->setObjectName(QStringLiteral("UrlLabHomepage"));
    walked->SetCaption("BF_HomePage");
    TUrlLab set;
    set.SetCaption("A home page with a rather long name");
    ASSERT_TRUE(walked->AutoSize());
    TranslateComponent(engine, &form);
    EXPECT_EQ(walked->Caption(), "A home page with a rather long name");
    EXPECT_EQ(walked->width(), set.width());
    EXPECT_GT(walked->width(), 100);
}

#include "TranslateComponentTest.moc"
