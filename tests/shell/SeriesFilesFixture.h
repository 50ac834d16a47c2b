// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFile>
#include <QTemporaryDir>
#include <vector>

#include "series/SeriesStore.h"
#include "shell/FormFixture.h"

namespace tarvix::shell::testing {

// The window with a folder for the files its tests save and open.
class SeriesFilesFixture : public FormFixture {
  protected:
    void SetUp() override {
        ASSERT_TRUE(files.isValid());
        startForm();
        // A few steps per sweep keep the runs short.
        setText("Edit41", QStringLiteral("4"));
    }

    series::SeriesStore& store() { return form->store(); }
    QString path(const QString& name) const { return files.filePath(name); }

    void sweep() { click("Button1"); }
    void saveAs(const QString& file) {
        ui.queueAnswer(file);
        click("Button5");
    }
    void open(const QString& file) {
        ui.queueAnswer(file);
        click("Button3");
    }

    static QByteArray readAll(const QString& file) {
        QFile in(file);
        return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
    }
    static void writeFile(const QString& file, const QByteArray& bytes) {
        QFile out(file);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly | QIODevice::Truncate));
        out.write(bytes);
    }

    // One stored segment's points, for comparing curves before and after a round trip.
    struct Curve {
        std::vector<float> voltage;
        std::vector<float> current;
        bool operator==(const Curve&) const = default;
    };
    Curve curve(int segment, int series) {
        Curve result;
        const int count = store().storedCount(segment, series);
        for (int p = 1; p <= count; ++p) {
            result.voltage.push_back(store().storedVoltage(segment, series)[p]);
            result.current.push_back(store().storedCurrent(segment, series)[p]);
        }
        return result;
    }
    // Puts points into a stored segment, as a measurement or a file would.
    void storePoints(int segment, int series, const std::vector<std::pair<float, float>>& points) {
        float* voltage = store().storedVoltage(segment, series);
        float* current = store().storedCurrent(segment, series);
        voltage[0] = current[0] = static_cast<float>(points.size());
        for (std::size_t p = 0; p < points.size(); ++p) {
            voltage[p + 1] = points[p].first;
            current[p + 1] = points[p].second;
        }
    }
    void livePoints(int segment, const std::vector<std::pair<float, float>>& points) {
        float* voltage = store().liveVoltage(segment);
        float* current = store().liveCurrent(segment);
        voltage[0] = current[0] = static_cast<float>(points.size());
        for (std::size_t p = 0; p < points.size(); ++p) {
            voltage[p + 1] = points[p].first;
            current[p + 1] = points[p].second;
        }
    }

    QTemporaryDir files;
};

}  // namespace tarvix::shell::testing
