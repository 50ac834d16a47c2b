#include <QDir>
#include <QFileInfo>
#include <functional>

#include "shell/ScriptRunner.h"
#include "shell/SeriesFilesFixture.h"
#include "shell/Widgets.h"

using namespace tarvix::shell;
using namespace tarvix::shell::testing;

namespace {

// A store with one saved and opened series and one measured after it, never saved.
class UnsavedSeries : public SeriesFilesFixture {
  protected:
    void SetUp() override {
        SeriesFilesFixture::SetUp();
        sweep();
        saveAs(path("saved.ktl"));
        open(path("saved.ktl"));
        setText("Edit41", QStringLiteral("6"));
        sweep();
        ASSERT_TRUE(form->isWindowModified());
        before = snapshot();
    }

    struct Shown {
        int seriesCount;
        Curve first;
        Curve second;
        QString label;
        QString fileLabel;
        QString comment;
        double currentMax;
        bool operator==(const Shown&) const = default;
    };
    Shown snapshot() {
        return {
            store().seriesCount,        curve(1, 1),     curve(1, store().seriesCount > 1 ? 2 : 1),
            store().segmentLabel(1, 2), text("Label15"), text("Edit44"),
            form->ivState().currentMax};
    }

    Shown before;
};

enum class Guarded { Delete, Open, Reload };

std::string guardedName(Guarded action) {
    switch (action) {
        case Guarded::Delete:
            return "Delete";
        case Guarded::Open:
            return "Open";
        case Guarded::Reload:
            break;
    }
    return "Reload";
}

class GuardedActions : public UnsavedSeries, public ::testing::WithParamInterface<Guarded> {
  protected:
    void act() {
        switch (GetParam()) {
            case Guarded::Delete:
                click("Button4");
                break;
            case Guarded::Open:
                open(path("saved.ktl"));
                break;
            case Guarded::Reload:
                emit c().label(QStringLiteral("Label15"))->clicked();
                break;
        }
    }
};

// Each action that would drop the unsaved series asks; No (given or by default) keeps
// everything, Yes goes ahead.
TEST_P(GuardedActions, AskFirstAndKeepTheDataUnlessTold) {
    for (const int reply : {-1, 0, 1}) {
        SCOPED_TRACE(reply);
        if (reply >= 0) {
            ui.queueReply(reply == 1);
        }
        const qsizetype asked = ui.questions().size();
        act();
        ASSERT_EQ(ui.questions().size(), asked + 1);
        EXPECT_TRUE(ui.questions().back().contains(QStringLiteral("never saved")));
        if (reply == 1) {
            EXPECT_NE(snapshot(), before);
            EXPECT_FALSE(form->isWindowModified());
        } else {
            EXPECT_EQ(snapshot(), before);
            EXPECT_TRUE(form->isWindowModified());
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Window, GuardedActions,
                         ::testing::Values(Guarded::Delete, Guarded::Open, Guarded::Reload),
                         [](const auto& info) { return guardedName(info.param); });

// Opening fails without touching the store, the labels or the file in use.
TEST_F(UnsavedSeries, AFailedOpenChangesNothing) {
    const QByteArray good = readAll(path("saved.ktl"));
    const qsizetype lastNumberEnd = good.lastIndexOf("E-00");
    const std::pair<const char*, QByteArray> broken[] = {
        {"cut inside the last number", good.left(lastNumberEnd + 3)},
        {"a bad number", good.left(good.indexOf("Number of points")) +
                             "Number of points\r\n 2.0E+0000\r\n   \r\n 1.0E+0000   x\r\n"},
    };
    const std::pair<QString, const char*> cases[] = {
        {path("missing.ktl"), "File not found"},
        {files.path(), "Invalid filename"},
        {path("cut.ktl"), "Read beyond end of file"},
        {path("bad.ktl"), "Invalid numeric input"},
    };
    writeFile(path("cut.ktl"), broken[0].second);
    writeFile(path("bad.ktl"), broken[1].second);
    const QString title = form->windowTitle();
    for (const auto& [file, message] : cases) {
        SCOPED_TRACE(file.toStdString());
        ui.queueReply(true);
        open(file);
        EXPECT_EQ(ui.messages().back(), message);
        EXPECT_EQ(snapshot(), before);
        EXPECT_EQ(form->windowTitle(), title);
        EXPECT_TRUE(form->isWindowModified());
    }
}

// The open dialog draws each highlighted file; a cancel, or a choice that cannot be read,
// brings back the store from before, corrections and all.
TEST_F(UnsavedSeries, PreviewsNeverLoseTheStore) {
    const Curve measured = curve(1, 1);
    setChecked("CheckBox50", true);  // ABS for log: the tables hold corrected values
    sweep();
    saveAs(path("other.ktl"));
    before = snapshot();
    setText("Edit41", QStringLiteral("3"));
    sweep();
    before = snapshot();
    for (const QString& choice : {QString(), path("missing.ktl")}) {
        ui.queueReply(true);
        ui.queueHighlight(path("saved.ktl"));
        ui.queueHighlight(path("other.ktl"));
        choice.isEmpty() ? ui.queueCancel() : ui.queueAnswer(choice);
        click("Button3");
        EXPECT_EQ(snapshot(), before);
        EXPECT_TRUE(form->isWindowModified());
        EXPECT_TRUE(checked("CheckBox50"));
    }
    // The corrections still start from the measured values.
    setChecked("CheckBox50", false);
    EXPECT_EQ(curve(1, 1), measured);
}

class StoredValues : public SeriesFilesFixture {};

TEST_F(StoredValues, SaveWritesTheMeasuredValuesWhateverTheCorrections) {
    sweep();
    const Curve measured = curve(1, 1);
    saveAs(path("plain.ktl"));
    setChecked("CheckBox50", true);
    setChecked("RadioButton84", true);
    setChecked("CheckBox51", true);
    ASSERT_NE(curve(1, 1), measured);
    saveAs(path("ticked.ktl"));
    // Everything after the date and time of saving is the same.
    auto body = [](const QByteArray& file) { return file.mid(file.indexOf("\r\n   \r\n")); };
    EXPECT_EQ(body(readAll(path("ticked.ktl"))), body(readAll(path("plain.ktl"))));
    const Curve corrected = curve(1, 1);
    EXPECT_NE(corrected, measured);  // the chart keeps showing the corrections
    // Opening with the options ticked applies them to the file's values, and the export's
    // name says so.
    open(path("plain.ktl"));
    EXPECT_FALSE(checked("CheckBox50"));
    EXPECT_EQ(curve(1, 1).voltage, corrected.voltage);
    click("Button36");
    EXPECT_TRUE(QFileInfo::exists(path("plain-Zero-1K.ktl_o")));
}

TEST_F(StoredValues, AnExportWithNothingStoredSaysSoAndWritesNothing) {
    writeFile(path("empty.ktl_o"), "earlier export");
    ui.queueAnswer(path("empty.ktl_o"));
    click("Button36");
    EXPECT_EQ(ui.messages().back(), "There are no stored series to export; no file was written.");
    EXPECT_EQ(readAll(path("empty.ktl_o")), "earlier export");
}

class WindowTitle : public FormFixture {};

TEST_F(WindowTitle, NamesTheFileAndMarksUnsavedSeries) {
    QTemporaryDir folder;
    startForm();
    setText("Edit41", QStringLiteral("3"));
    EXPECT_EQ(form->shownTitle(), "Tarvix  1.1");
    click("Button1");
    EXPECT_EQ(form->shownTitle(), "Tarvix  1.1*");
    ui.queueAnswer(folder.filePath("run7.ktl"));
    click("Button5");
    EXPECT_EQ(form->shownTitle(), "Tarvix  1.1 - run7.ktl");
    click("Button1");
    EXPECT_EQ(form->shownTitle(), "Tarvix  1.1 - run7.ktl*");
    ui.queueReply(true);
    click("Button4");
    EXPECT_EQ(form->shownTitle(), "Tarvix  1.1");
}

TEST_F(WindowTitle, RecipesPrintTheWindowAndRefuseWhatItCannotDo) {
    const std::pair<const char*, int> lines[] = {
        {"print window", 0},
        {"expect window Tarvix  1.1", 0},
        {"expect-visible window 1", 0},
        {"expect-enabled window 1", 0},
        {"set window text", 2},
        {"click window", 2},
        {"scroll window 3", 2},
        {"expect-checked window 1", 2},
        {"reply maybe", 2},
    };
    for (const auto& [line, status] : lines) {
        SCOPED_TRACE(line);
        startForm();
        form->show();
        ScriptRunner runner(*form, ui);
        EXPECT_EQ(runner.run({QString::fromLatin1(line)}), status);
    }
}

}  // namespace
