// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRgb>
#include <array>

#include "series/ChartCanvas.h"

// Fixed layout and colours of the I-V chart.
namespace tarvix::series::ivstyle {

constexpr int kLeftMargin = 35;
constexpr int kRightMargin = 25;
constexpr int kBottomBand = 35;      // the grid stops this far above the bottom edge
constexpr int kPlotWidthCut = 61;    // points use W - 25 - 36
constexpr int kPlotHeightCut = 36;   // points use H - 36
constexpr int kCursorWidthCut = 60;  // the cursor lines use W - 25 - 35
constexpr int kCursorLineEnd = 512;  // cursor lines run from y = 0 to this fixed end
constexpr int kGridIntervals = 16;
constexpr int kLowestDecade = -15;
constexpr double kZeroLineTolerance = 1e-13;
constexpr double kZeroCurrentDecade = -11.0;  // a current of 0 is drawn at 1e-11 A
constexpr double kZeroCurrentAmperes = 1e-11;
constexpr int kTickLabelInset = 5;  // voltage ticks start 5 pixels left of the line
constexpr int kTickLabelRise = 30;  // ... and 30 pixels above the bottom edge
constexpr int kCaptionRise = 15;
constexpr double kCurrentLabelPitch = 17.5;  // linear ticks at i * H / 17.5
constexpr double kDecadeLabelScale = 0.9;    // decade labels at d * 0.9 * H / 15
constexpr double kMicroamperesPerAmpere = 1e6;

constexpr QRgb kGridColour = kWhite;
constexpr QRgb kZeroLineColour = fromBgr(0x0000FF);
constexpr QRgb kCursorColour = kBlack;
constexpr QRgb kBackgroundColour = kLime;

// Segments 1..8; index 0 is unused.
constexpr std::array<QRgb, 9> kSegmentColours = {kBlack,
                                                 fromBgr(0x000000),
                                                 fromBgr(0xFF0000),
                                                 fromBgr(0xFF0000),
                                                 fromBgr(0x00FFFF),
                                                 fromBgr(0xFF00FF),
                                                 fromBgr(0x000080),
                                                 fromBgr(0x800080),
                                                 fromBgr(0x000000)};

}  // namespace tarvix::series::ivstyle
