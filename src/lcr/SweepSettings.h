// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include "lcr/FrequencyChart.h"
#include "lcr/FrequencyView.h"
#include "lcr/LcrControls.h"

namespace tarvix::lcr {

// Panel6's settings for one sweep, as the window reads them from its controls. The defaults
// are the controls' design state.
struct SweepSettings {
    double fmin = 10;                                    // ScrollBar3, Hz
    double fmax = 2000000;                               // ScrollBar4, Hz
    int pointCount = 20;                                 // ScrollBar5
    int acLevelMv = 500;                                 // ScrollBar6
    bool logGrid = true;                                 // CheckBox45
    int triggerDelay = 5;                                // RadioButton65..68, ms
    int biasMode = 0;                                    // RadioButton69..71
    int readingsPerPoint = 1;                            // ScrollBar7
    int meterAverage = 1;                                // ScrollBar8
    MeasuringSpeed speed = MeasuringSpeed::Unset;        // RadioButton72..74
    QString primaryCode = QStringLiteral("A");           // GroupBox4
    QString secondaryCode = QStringLiteral("N");         // GroupBox5
    QString fileBaseName = QStringLiteral("7600 test");  // Edit60
    // The chart drawn at the end.
    FrequencyView view = FrequencyView::PrimaryFromFrequency;  // GroupBox6
    ChartOptions chart;                                        // CheckBox46, CheckBox43
};

// Why a sweep with these settings cannot run, for the operator; empty when it can.
QString refusalReason(const SweepSettings& settings);

}  // namespace tarvix::lcr
