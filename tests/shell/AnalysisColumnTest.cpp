// SPDX-License-Identifier: GPL-3.0-or-later
#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSet>
#include <QTimer>
#include <QXmlStreamReader>
#include <algorithm>

#include "FormFixture.h"
#include "shell/AnalysisController.h"
#include "shell/FitSampleSettings.h"
#include "shell/IvChartView.h"
#include "shell/ParametersFile.h"
#include "shell/Widgets.h"
#include "sim/PooleFrenkelSample.h"
#include "text/Cp1251.h"

namespace tarvix::shell::testing {

namespace {

QString utf8(const char* text) {
    return QString::fromUtf8(text);
}

// A file of the analysis as lines: Windows-1251, CR LF.
QStringList fileLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    QStringList lines = text::fromCp1251(file.readAll()).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty()) {
        lines.removeLast();
    }
    return lines;
}

}  // namespace

class AnalysisColumnTest : public FormFixture {
  protected:
    // A default sweep into series 1, with the voltage window opened over the chart's range.
    void measure(const QString& bus = QStringLiteral("sim:noise=0,latency=0")) {
        startForm(bus);
        ASSERT_TRUE(form);
        click("Button1");
        ASSERT_GT(form->store().storedCount(1, 1), 0);
        c().scrollBar(QStringLiteral("ScrollBar1"))->setValue(0);
        c().scrollBar(QStringLiteral("ScrollBar2"))->setValue(10000);
        ASSERT_TRUE(ui.messages().isEmpty()) << ui.messages().join('\n').toStdString();
    }
    QString path(const char* name) const { return files.filePath(QString::fromLatin1(name)); }
    QAction* exportAllSeriesEntry() {
        for (QAction* action : form->fileMenu()->actions()) {
            if (action->text() == AnalysisController::exportAllSeriesMenuText()) {
                return action;
            }
        }
        return nullptr;
    }

    QAction* chartAction(const char* box, const QString& text) {
        for (QAction* action : c().paintBox(QString::fromLatin1(box))->actions()) {
            if (action->text() == text) {
                return action;
            }
        }
        return nullptr;
    }
    void showAnalysisTools(bool shown) {
        for (QAction* menu : form->menuBar()->actions()) {
            for (QAction* toggle : menu->menu() ? menu->menu()->actions() : QList<QAction*>()) {
                if (toggle->text() == QStringLiteral("Analysis tools")) {
                    toggle->setChecked(shown);
                }
            }
        }
    }
    // Columns of the I-V chart where the fit window's lines show.
    QSet<int> windowLineColumns() {
        const QImage& chart = form->chart().ivBitmap();
        QSet<int> columns;
        for (int y = 0; y < chart.height(); ++y) {
            for (int x = 0; x < chart.width(); ++x) {
                if (chart.pixel(x, y) == qRgb(255, 128, 0)) {
                    columns.insert(x);
                }
            }
        }
        return columns;
    }

    struct SvgContent {
        int paths = 0;
        bool hasImage = false;
        QString texts;  // one line each
    };
    // PaintBox1's chart saved through its context menu as an SVG, read back as XML.
    SvgContent savedSvg(const char* name) {
        ui.queueAnswer(path(name));
        chartAction("PaintBox1", QStringLiteral("Save picture as SVG..."))->trigger();
        QFile file(path(name).endsWith(".svg") ? path(name) : path(name) + ".svg");
        SvgContent content;
        if (!file.open(QIODevice::ReadOnly)) {
            return content;
        }
        QXmlStreamReader reader(&file);
        while (!reader.atEnd()) {
            if (reader.readNext() != QXmlStreamReader::StartElement) {
                continue;
            }
            content.paths += reader.name() == QStringLiteral("path") ? 1 : 0;
            content.hasImage = content.hasImage || reader.name() == QStringLiteral("image");
            if (reader.name() == QStringLiteral("text")) {
                content.texts +=
                    reader.readElementText(QXmlStreamReader::IncludeChildElements) + '\n';
            }
        }
        EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString();
        return content;
    }

    // The relative permittivity the fit figures show; not a number when they show none.
    double shownPermittivity() {
        const QRegularExpressionMatch match =
            QRegularExpression(QStringLiteral("εr = ([0-9.]+)")).match(text("FitSummary"));
        return match.hasMatch() ? match.captured(1).toDouble() : std::nan("");
    }

    QTemporaryDir files;
};

// The tour of a new user: a 1.444 MOhm resistor straightened in the default log scale reads
// with four figures and its fit; the chart's menu copies the fit and saves vector and bitmap
// pictures.
TEST_F(AnalysisColumnTest, AResistorsFitReadsCopiesAndSavesAsPictures) {
    measure(QStringLiteral("sim:noise=0,latency=0,sample=resistor:1444000"));
    ASSERT_TRUE(checked("CheckBox13"));
    const SvgContent ivChart = savedSvg("iv.svg");
    EXPECT_GT(ivChart.paths, 40);
    EXPECT_TRUE(ivChart.texts.contains(QStringLiteral("A;     V"))) << ivChart.texts.toStdString();
    click("Button17");
    EXPECT_EQ(text("Label27"), QStringLiteral("1.444 MOm"));
    EXPECT_TRUE(text("FitSummary").contains(QStringLiteral("R² 1.000000")))
        << text("FitSummary").toStdString();

    QAction* copy = chartAction("PaintBox1", AnalysisController::copyFitResultsText());
    ASSERT_TRUE(copy);
    copy->trigger();
    const QStringList copied = QGuiApplication::clipboard()->text().split('\n');
    ASSERT_GE(copied.size(), 2);
    EXPECT_TRUE(copied[0].startsWith(QStringLiteral("Mechanism\tSlope\t")));
    EXPECT_TRUE(copied[1].startsWith(QStringLiteral("Ohm law\t")));

    const SvgContent straightened = savedSvg("ohm");
    EXPECT_GT(straightened.paths, 40);  // the points and the line as paths
    EXPECT_FALSE(straightened.hasImage);
    EXPECT_TRUE(straightened.texts.contains(QStringLiteral("|I|, A; |V|, V")))
        << straightened.texts.toStdString();

    ui.queueAnswer(path("ohm2.png"));
    chartAction("PaintBox1", QStringLiteral("Save picture as PNG, twice the size..."))->trigger();
    EXPECT_EQ(QImage(path("ohm2.png")).size(), form->chart().ivBitmap().size() * 2);
    ASSERT_TRUE(chartAction("PaintBox2", QStringLiteral("Copy picture")));
    EXPECT_TRUE(ui.messages().isEmpty()) << ui.messages().join('\n').toStdString();
}

// While the analysis tools are shown the I-V chart marks the voltage window with two lines,
// which follow the scroll bars and go with the tools.
TEST_F(AnalysisColumnTest, TheFitWindowShowsOnTheIvChartWithTheAnalysisTools) {
    measure();
    EXPECT_TRUE(windowLineColumns().isEmpty());
    showAnalysisTools(true);
    c().scrollBar(QStringLiteral("ScrollBar1"))->setValue(2500);
    c().scrollBar(QStringLiteral("ScrollBar2"))->setValue(7500);
    const QSet<int> columns = windowLineColumns();
    ASSERT_EQ(columns.size(), 2);
    const int low = *std::min_element(columns.begin(), columns.end());
    const int high = *std::max_element(columns.begin(), columns.end());
    c().scrollBar(QStringLiteral("ScrollBar2"))->setValue(8000);
    const QSet<int> moved = windowLineColumns();
    EXPECT_EQ(moved.size(), 2);
    EXPECT_TRUE(moved.contains(low));
    EXPECT_GT(*std::max_element(moved.begin(), moved.end()), high);
    showAnalysisTools(false);
    EXPECT_TRUE(windowLineColumns().isEmpty());
}

TEST_F(AnalysisColumnTest, OhmsLawOnAMeasuredSweepReportsScatterAndResistance) {
    measure();
    const QImage ivChart = form->chart().ivBitmap().copy();
    click("Button17");
    EXPECT_TRUE(ui.messages().isEmpty()) << ui.messages().join('\n').toStdString();
    const QString scatter = text("Label17");
    EXPECT_TRUE(scatter.startsWith(utf8("разброс точек: "))) << scatter.toStdString();
    EXPECT_TRUE(scatter.endsWith('%')) << scatter.toStdString();
    EXPECT_NE(scatter, utf8("разброс точек: 0%")) << "the default sample is not ohmic";
    EXPECT_TRUE(text("Label27").endsWith(QStringLiteral("Om"))) << text("Label27").toStdString();
    // The straightened plot replaced the I-V chart in the paint box's image.
    EXPECT_NE(form->chart().ivBitmap(), ivChart);
}

TEST_F(AnalysisColumnTest, AResistorOfOneMegohmStraightensExactly) {
    measure(QStringLiteral("sim:noise=0,latency=0,sample=resistor:1000000"));
    click("Button17");
    EXPECT_EQ(text("Label17"), utf8("разброс точек: 0%"));
    EXPECT_EQ(text("Label27"), QStringLiteral("1.000 MOm"));
}

TEST_F(AnalysisColumnTest, EachMechanismButtonWritesItsOwnLabel) {
    measure();
    const std::pair<const char*, const char*> buttons[] = {{"PF", "Label16"},
                                                           {"Button8", "Label20"},
                                                           {"Button9", "Label21"},
                                                           {"Button10", "Label22"},
                                                           {"Button17", "Label17"}};
    for (const auto& [button, label] : buttons) {
        EXPECT_TRUE(text(label).isEmpty()) << label;
        click(button);
        EXPECT_TRUE(text(label).startsWith(utf8("разброс точек"))) << button;
    }
    EXPECT_TRUE(ui.messages().isEmpty());
}

TEST_F(AnalysisColumnTest, BadNumbersAreRefusedAndTheChartFallsBackToTheUnitRange) {
    measure();
    setText("Edit46", QStringLiteral("9"));
    click("Button10");
    EXPECT_EQ(ui.messages(), QStringList{utf8("неверное значение S1 или S2")});
    setText("Edit46", QStringLiteral("x"));
    click("Button11");
    EXPECT_EQ(ui.messages().last(), QStringLiteral("'x' is not a valid integer value"));
}

TEST_F(AnalysisColumnTest, InitialGraphAndStopSwitchTheAnimationDelayOff) {
    measure();
    form->chart().setAnimationDelay(40);
    click("Button11");
    EXPECT_EQ(form->chart().animationDelay(), 0);
    EXPECT_EQ(form->chart().ivBitmap().pixel(36, 1), qRgb(0, 255, 0));

    // Stop clicked while a point's marker flashes must stay in force after the analysis.
    form->chart().setAnimationDelay(5);
    bool stopped = false;
    QTimer::singleShot(0, form.get(), [&] {
        click("Button22");
        stopped = true;
    });
    click("Button17");
    EXPECT_TRUE(stopped);
    EXPECT_EQ(form->chart().animationDelay(), 0);
}

TEST_F(AnalysisColumnTest, SavesBeforeAnyAnalysisSayWhyAndWriteNothing) {
    startForm();
    ui.queueAnswer(path("early"));
    for (const char* save :
         {"Button18", "Button12", "Button13", "Button14", "Button15", "Button16"}) {
        click(save);
    }
    EXPECT_EQ(ui.messages().size(), 6);
    EXPECT_EQ(ui.messages().first(),
              utf8("сначала выберите сегмент и серию: спрямление или initial grafik"));
    EXPECT_TRUE(QDir(files.path()).isEmpty());
}

TEST_F(AnalysisColumnTest, EachSaveButtonWritesItsMechanismsFile) {
    measure();
    setText("Edit44", QStringLiteral("sample A"));
    click("PF");
    struct Save {
        const char* button;
        const char* file;
        const char* heading;
        const char* label;
        const char* columns;
    };
    const Save saves[] = {
        {"Button18", "ohm", "спрямление по закону Ома, разброс точек = ", "Label17",
         "Volt(U)   Ampere (I)  "},
        {"Button12", "pf", "спрямление по Пул-Френкелю, разброс точек = ", "Label16",
         "Volt(корень квадратный из U)   Ampere (ln(I/U))  "},
        {"Button13", "scl", "спрямление по ТОПЗ, разброс точек = ", "Label20",
         "Volt (log10(U))   Ampere (log10(I))  "},
        {"Button14", "tunnel", "спрямление по Тунельному Ampereу, разброс точек = ", "Label21",
         "Volt (U)   Ampere (ln(I/(U*U)))  "},
        {"Button15", "schottky", "спрямление по Ampereу Шотки, разброс точек = ", "Label22",
         "Volt (корень квадратный из U)   Ampere (ln(I))  "},
    };
    for (const Save& save : saves) {
        ui.queueAnswer(path(save.file));
        click(save.button);
        const QStringList lines = fileLines(path(save.file) + QStringLiteral(".ktl"));
        ASSERT_GE(lines.size(), 9) << save.button;
        EXPECT_EQ(lines[0], QStringLiteral("sample A"));
        EXPECT_EQ(lines[3], utf8(save.heading) + text(save.label)) << save.button;
        EXPECT_EQ(lines[5], utf8(save.columns) + QStringLiteral("Series 1-1")) << save.button;
        EXPECT_EQ(lines[6], utf8("Точек"));
        const int count = lines[7].toInt();
        EXPECT_GT(count, 0) << save.button;
        EXPECT_EQ(lines.size(), 9 + count) << save.button;
    }
    EXPECT_TRUE(text("Label16").startsWith(utf8("разброс точек: ")));
    EXPECT_TRUE(ui.messages().isEmpty());
}

TEST_F(AnalysisColumnTest, TheMeasuredSegmentSaveWritesTheStoredPoints) {
    measure();
    click("Button11");
    ui.queueAnswer(path("measured.ktl"));
    click("Button16");
    const QStringList lines = fileLines(path("measured.ktl"));
    const int count = form->store().storedCount(1, 1);
    ASSERT_EQ(lines.size(), 8 + count);
    EXPECT_EQ(lines[4], QStringLiteral("Volt   Ampere  Series 1-1"));
    EXPECT_EQ(lines[5], utf8("Точек"));
    EXPECT_EQ(lines[6].toDouble(), count);
    EXPECT_FALSE(QFile::exists(path("measured.ktl.ktl")));
}

TEST_F(AnalysisColumnTest, TheFileMenuExportsAllSeriesLinearAndLog) {
    startForm();
    setChecked("CheckBox4", true);  // segment 3 sweeps 0 to -2
    click("Button1");
    const int points = form->store().storedCount(1, 1) + form->store().storedCount(3, 1);
    ASSERT_GT(form->store().storedCount(3, 1), 0);
    QAction* entry = exportAllSeriesEntry();
    ASSERT_NE(entry, nullptr);
    ui.queueAnswer(path("all.txt"));
    entry->trigger();
    const QStringList linear = fileLines(path("all.txt"));
    const QStringList log = fileLines(path("all.txt_log"));
    ASSERT_EQ(linear.size(), points);
    ASSERT_EQ(log.size(), points);
    EXPECT_FALSE(QFile::exists(path("all.txt.ktl")));
    // Voltage, three blanks, current: the log file holds the current's magnitude.
    EXPECT_EQ(linear.last().mid(0, 26), log.last().mid(0, 26));
    EXPECT_EQ(linear.last().mid(26, 1), QStringLiteral("-"));
    EXPECT_EQ(log.last().mid(26), linear.last().mid(27).prepend(' '));

    // Cancelled: nothing more is written.
    ui.queueCancel();
    entry->trigger();
    EXPECT_EQ(QDir(files.path()).entryList(QDir::Files).size(), 2);
    EXPECT_TRUE(ui.messages().isEmpty());
}

// The simulated film swept to 20 V and fitted where emission rules (10 V to 20 V) gives back
// its own permittivity with the fields' defaults, which are the film's; the thickness field
// changes the figure at once.
TEST_F(AnalysisColumnTest, ThePooleFrenkelFilmGivesBackItsOwnPermittivity) {
    startForm();
    const sim::PooleFrenkelSample::Parameters film = sim::PooleFrenkelSample().parameters();
    EXPECT_EQ(text("FitThickness").toDouble(), film.thicknessM * 1e9);
    EXPECT_EQ(text("FitTemperature").toDouble(), film.temperatureK);
    setText("Edit6", QStringLiteral("0.01"));
    setText("Edit10", QStringLiteral("20"));
    click("Button1");
    ASSERT_EQ(form->store().storedCount(1, 1), 41);
    // The chart now spans -20 V to 20 V: the window's lower end goes to three quarters.
    c().scrollBar(QStringLiteral("ScrollBar1"))->setValue(7500);
    ASSERT_EQ(text("Label23"), QStringLiteral("10"));
    click("PF");
    ASSERT_TRUE(ui.messages().isEmpty()) << ui.messages().join('\n').toStdString();
    EXPECT_NEAR(shownPermittivity(), film.relativePermittivity, 0.02 * film.relativePermittivity)
        << text("FitSummary").toStdString();
    EXPECT_TRUE(text("FitSummary").contains(QStringLiteral("10…20 V")));

    const double atDefaultThickness = shownPermittivity();
    setText("FitThickness", QStringLiteral("1000"));
    EXPECT_NEAR(shownPermittivity(), atDefaultThickness / 2, 0.01);
    setText("FitThickness", QStringLiteral("x"));
    EXPECT_TRUE(text("FitSummary").endsWith(QStringLiteral("εr: needs d and T above 0")));
}

// The sample fields come back after a restart from their own settings file; Parameters.dat
// keeps its 23 lines.
TEST_F(AnalysisColumnTest, TheSampleFieldsAreRememberedAcrossARestart) {
    startForm();
    const std::pair<const char*, QString> typed[] = {{"FitThickness", QStringLiteral("85.5")},
                                                     {"FitTemperature", QStringLiteral("77")},
                                                     {"FitContactArea", QStringLiteral("7.85E-3")},
                                                     {"FitRichardson", QStringLiteral("1.12e2")}};
    for (const auto& [field, value] : typed) {
        setText(field, value);
    }
    form->close();
    EXPECT_TRUE(QFile::exists(FitSampleSettings::path(configDir.path())));
    QFile parameters(ParametersFile::path(configDir.path()));
    ASSERT_TRUE(parameters.open(QIODevice::ReadOnly));
    EXPECT_EQ(parameters.readAll().count('\n'), ParametersFile::kLineCount);

    startForm();
    for (const auto& [field, value] : typed) {
        EXPECT_EQ(text(field), value) << field;
    }
}

}  // namespace tarvix::shell::testing
