// SPDX-License-Identifier: GPL-3.0-or-later
#include <QCoreApplication>
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

// Opening a file that cannot be read, or is no series file, says why once and asks nothing:
// the store, the labels, the file in use and the unsaved mark stay. A file named .ktl is
// previewed in the dialog first, one of another name only read when chosen; either way the
// reason comes once. Reloading such a file by Label15 keeps everything too.
TEST_F(UnsavedSeries, AFailedOpenChangesNothing) {
    const QByteArray good = readAll(path("saved.ktl"));
    const qsizetype lastNumberEnd = good.lastIndexOf("E-00");
    const std::pair<const char*, QByteArray> written[] = {
        {"cut.ktl", good.left(lastNumberEnd + 3)},
        {"bad.ktl", good.left(good.indexOf("Number of points")) +
                        "Number of points\r\n 2.0E+0000\r\n   \r\n 1.0E+0000   x\r\n"},
        {"sweep.frq",
         "+1.23456E-09,+4.56789E+00\t\t\t  F[Hz]   1.00000000000000E+0003\r\n"
         "+1.23457E-09,+4.56788E+00\t\t\t  F[Hz]   2.00000000000000E+0003\r\n"},
        {"table.csv", "# Tarvix\r\nseries,segment,point,voltage_V,current_A\r\n1,1,1,0,1e-9\r\n"},
        {"empty.ktl", ""},
        {"picture.ktl", QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x10", 20)},
    };
    for (const auto& [name, bytes] : written) {
        writeFile(path(QString::fromLatin1(name)), bytes);
    }
    const QString noBlocks =
        QStringLiteral(" is not a series file (no line reads \"Number of points\")");
    const std::pair<QString, QString> cases[] = {
        {path("missing.ktl"), "File not found"},
        {files.path(), "Invalid filename"},
        {path("cut.ktl"), "Read beyond end of file"},
        {path("bad.ktl"), "Invalid numeric input"},
        {path("sweep.frq"), path("sweep.frq") + noBlocks},
        {path("table.csv"), path("table.csv") + noBlocks},
        {path("empty.ktl"), path("empty.ktl") + " is not a series file (it is empty)"},
        {path("picture.ktl"), path("picture.ktl") + " is not a series file (it holds binary data)"},
    };
    const QString title = form->windowTitle();
    const qsizetype asked = ui.questions().size();
    const auto expectUnchanged = [&] {
        EXPECT_EQ(snapshot(), before);
        EXPECT_EQ(form->windowTitle(), title);
        EXPECT_TRUE(form->isWindowModified());
    };
    for (const auto& [file, message] : cases) {
        SCOPED_TRACE(file.toStdString());
        qsizetype told = ui.messages().size();
        open(file);
        EXPECT_EQ(ui.messages().mid(told), QStringList{message});
        expectUnchanged();
        if (!file.endsWith(".ktl") || !QFileInfo(file).isFile()) {
            continue;  // neither previewed nor reloaded
        }
        // Highlighted in a dialog that is then cancelled, and reloaded by Label15.
        told = ui.messages().size();
        ui.queueHighlight(file);
        ui.queueCancel();
        click("Button3");
        emit c().label(QStringLiteral("Label15"))->clicked();
        EXPECT_EQ(ui.messages().mid(told), QStringList({message, message}));
        expectUnchanged();
    }
    EXPECT_EQ(ui.questions().size(), asked);
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

// Closing never asks: the next start brings the series back, unsaved, and says so.
TEST_F(WindowTitle, ACleanCloseKeepsUnsavedSeriesForTheNextStart) {
    startForm();
    setText("Edit41", QStringLiteral("3"));
    click("Button1");
    const float last = form->store().storedCurrent(1, 1)[4];
    form->close();
    keepJournal = true;
    startForm();
    QCoreApplication::processEvents();
    ASSERT_EQ(ui.messages().size(), 1);
    EXPECT_TRUE(ui.messages().front().startsWith(QStringLiteral("Recovered 1 unsaved series")));
    EXPECT_EQ(form->store().seriesCount, 2);
    EXPECT_EQ(form->store().storedCurrent(1, 1)[4], last);
    EXPECT_EQ(form->shownTitle(), "Tarvix  1.1*");
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
