// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cmath>

#include "ivtemp/Arrhenius.h"
#include "series/SeriesStore.h"
#include "series/SeriesTemperatures.h"
#include "text/CsvWriter.h"

using namespace tarvix;

namespace {

constexpr double kBoltzmannEv = 8.617333262e-5;

// Series `slot` with one segment from 0 V to 2 V in 0.5 V steps of an activated sample.
void storeActivated(series::SeriesStore& store, int slot, double kelvin, double ea,
                    const QString& label) {
    float* v = store.storedVoltage(1, slot);
    float* i = store.storedCurrent(1, slot);
    for (int p = 1; p <= 5; ++p) {
        v[p] = 0.5f * static_cast<float>(p - 1);
        i[p] = static_cast<float>(v[p] / 1000.0 * std::exp(-ea / (kBoltzmannEv * kelvin)));
    }
    v[0] = i[0] = 5;
    store.segmentLabel(1, slot) = label;
    store.seriesCount = std::max(store.seriesCount, slot + 1);
}

}  // namespace

TEST(Arrhenius, RecoversTheActivationEnergyFromTheLabelledSeries) {
    series::SeriesStore store;
    std::vector<int> seriesList;
    for (int k = 0; k < 5; ++k) {
        const double kelvin = 150 + 25 * k;
        const QString label = series::labelWithTemperatures(QStringLiteral("12:00:00/15ms"),
                                                            {kelvin - 0.5, kelvin + 0.5});
        storeActivated(store, 2 * k + 1, kelvin, 0.2, label);
        seriesList.push_back(2 * k + 1);
        seriesList.push_back(2 * k + 2);  // the empty slot a Start leaves is passed over
    }
    storeActivated(store, 12, 300, 0.5, QStringLiteral("no temperatures"));
    seriesList.push_back(12);
    const auto points = ivtemp::arrheniusPoints(store, seriesList, 1.25);  // between two points
    ASSERT_EQ(points.size(), 5u);
    EXPECT_EQ(points[0].series, 1);
    EXPECT_DOUBLE_EQ(points[0].kelvin, 150.0);
    EXPECT_NEAR(points[0].amps, 1.25 / 1000 * std::exp(-0.2 / (kBoltzmannEv * 150)),
                points[0].amps * 1e-6);
    const auto fit = ivtemp::fitArrhenius(points);
    ASSERT_TRUE(fit);
    EXPECT_NEAR(fit->activationEv, 0.2, 1e-5);
    EXPECT_LT(fit->standardErrorEv, 1e-5);
    EXPECT_EQ(ivtemp::activationText(*fit), QString::fromUtf8("Ea = 0.200 ± 0.000 eV"));
    EXPECT_FALSE(ivtemp::currentAt(store, 1, 2.5));  // beyond the sweep
    EXPECT_FALSE(ivtemp::fitArrhenius({points[0]}));
    EXPECT_EQ(ivtemp::activationText({0, 0, 0.2154, std::nan("")}), "Ea = 0.215 eV");
    EXPECT_EQ(ivtemp::activationText({0, 0, 0.2154, 0.0021}),
              QString::fromUtf8("Ea = 0.215 ± 0.002 eV"));

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("arrhenius.csv"));
    ASSERT_EQ(ivtemp::writeArrheniusCsv(path, points, {}), 0);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
    const QStringList rows = lines.filter(QRegularExpression(QStringLiteral("^[^#]")));
    ASSERT_EQ(rows.size(), 6);
    EXPECT_EQ(rows[0], "T_K,V,I_A,ln_I");
    EXPECT_TRUE(rows[1].startsWith("150.0,1.25,")) << rows[1].toStdString();
}

TEST(SeriesTemperatures, RideInTheLabel) {
    const QString label =
        series::labelWithTemperatures(QStringLiteral("12:00:00/15ms"), {137.234, 138.4});
    EXPECT_EQ(label, "12:00:00/15ms @ 137.23..138.40 K");
    const auto read = series::temperaturesInLabel(label);
    ASSERT_TRUE(read);
    EXPECT_DOUBLE_EQ(read->beforeK, 137.23);
    EXPECT_DOUBLE_EQ(read->meanK(), 137.815);
    for (const char* other :
         {"12:00:00/15ms", "@ 1..2 K", "x @ 1..2 K ", "x @ -1..2 K", "x @ 1.2 K", "x @ 1..2 mK"}) {
        EXPECT_FALSE(series::temperaturesInLabel(QString::fromUtf8(other))) << other;
    }
}
