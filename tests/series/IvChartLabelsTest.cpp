// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <memory>

#include "series/IvChart.h"
#include "series/SeriesStore.h"
#include "support/ChartLabels.h"

using namespace tarvix::series;

// Voltage labels never cover one another, even for wide ranges, and neighbouring current
// labels read apart even for a range of nanoamperes.
TEST(IvChartLabels, VoltageLabelsNeverOverlapAndNeighboursReadApart) {
    const auto store = std::make_unique<SeriesStore>();
    const IvChartRanges cases[] = {
        {-1.5e-5, 1.5e-5, -2, 2}, {-1.5e-5, 1.5e-5, -100, 100}, {1e-9, 1.0016e-9, 0.5, 0.5016}};
    for (const IvChartRanges& ranges : cases) {
        SCOPED_TRACE(::testing::Message() << ranges.voltageMin << ".." << ranges.voltageMax);
        IvChartOptions options;
        options.logScale = false;
        const auto texts = tarvix::testing::drawnTexts({633, 425}, [&](QImage& image) {
            IvChart chart(image.size());
            chart.setCachingEnabled(false);
            chart.drawIvChart(IvChart::currentCaption(), IvChart::voltageCaption(), ranges, options,
                              *store, nullptr);
            image = chart.ivBitmap().copy();
        });
        const auto overlaps = tarvix::testing::overlappingTexts(texts);
        EXPECT_TRUE(overlaps.empty()) << overlaps.front().toStdString();
        for (std::size_t i = 1; i + 1 < texts.size(); ++i) {
            EXPECT_NE(texts[i].text, texts[i - 1].text) << i;
        }
    }
}
