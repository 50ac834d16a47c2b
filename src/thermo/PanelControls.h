// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringView>

// The controls of the four-probe panel that its procedures read or write, by design name.
namespace tarvix::thermo::controls {

// Settings.
inline constexpr QStringView kChannelEdit = u"Edit63";           // thermocouple channel
inline constexpr QStringView kUseLcrMeterCheck = u"CheckBox48";  // "7600 Measurment"
inline constexpr QStringView kVerySlowRadio = u"RadioButton80";  // "Очень медленно"
inline constexpr QStringView kMediumRadio = u"RadioButton81";    // "Медленно (MED)"
inline constexpr QStringView kFastRadio = u"RadioButton82";      // "Быстро"
inline constexpr QStringView kTwoWireCheck = u"CheckBox44";
inline constexpr QStringView kComplianceEdit = u"Edit52";  // "Max Volt"
inline constexpr QStringView kRMaxEdit = u"Edit55";
inline constexpr QStringView kTMinEdit = u"Edit48";
inline constexpr QStringView kTMaxEdit = u"Edit62";
inline constexpr QStringView kSaveEveryEdit = u"Edit53";
inline constexpr QStringView kAverageCheck = u"CheckBox41";  // "Среднее"
inline constexpr QStringView kDescriptionEdit = u"Edit44";   // comment of the main panel

// Read-outs.
inline constexpr QStringView kSampleNumberEdit = u"Edit54";
inline constexpr QStringView kResistanceEdit = u"Edit50";
inline constexpr QStringView kTemperatureEdit = u"Edit51";
inline constexpr QStringView kTcKelvinEdit = u"Edit56";
inline constexpr QStringView kTcCelsiusEdit = u"Edit57";
inline constexpr QStringView kTermoReadingEdit = u"Edit49";
inline constexpr QStringView kSampleTimeLabel = u"Label48";
inline constexpr QStringView kPeriodLabel = u"Label50";

// Buttons.
inline constexpr QStringView kStartButton = u"Button27";
inline constexpr QStringView kStopButton = u"Button28";
inline constexpr QStringView kStartDButton = u"Button30";

}  // namespace tarvix::thermo::controls
