// String ids of the parameter dialogs' and the Bluetooth dialogs' captions and labels.
#pragma once

#include <cstdint>

namespace omni::compose {

// Shared by the indicator dialogs.
inline constexpr std::uint32_t kTextDeselect = 21500;
inline constexpr std::uint32_t kTextEnable = 21501;
inline constexpr std::uint32_t kTextDisable = 21502;
inline constexpr std::uint32_t kTextDuration = 21503;

// Number input.
inline constexpr std::uint32_t kTextInputNumberCaption = 21510;
inline constexpr std::uint32_t kTextInitialize = 21511;
inline constexpr std::uint32_t kTextInhibit = 21512;
inline constexpr std::uint32_t kTextNumberRange = 21513;

// Buzzer.
inline constexpr std::uint32_t kTextBuzzerCaption = 21520;
inline constexpr std::uint32_t kTextVolume = 21521;
inline constexpr std::uint32_t kTextVolumeSmall = 21522;
inline constexpr std::uint32_t kTextVolumeNormal = 21523;
inline constexpr std::uint32_t kTextVolumeLoud = 21524;
inline constexpr std::uint32_t kTextVolumeMaximum = 21525;
inline constexpr std::uint32_t kTextGoodReadBuzzer = 21526;
inline constexpr std::uint32_t kTextBuzzer50ms = 21527;
inline constexpr std::uint32_t kTextBuzzer75ms = 21528;
inline constexpr std::uint32_t kTextBuzzer100ms = 21529;
inline constexpr std::uint32_t kTextBuzzer200ms = 21530;
inline constexpr std::uint32_t kTextBuzzer400ms = 21531;
inline constexpr std::uint32_t kTextTone = 21532;
inline constexpr std::uint32_t kTextToneMiddle = 21533;
inline constexpr std::uint32_t kTextToneHighToLow = 21534;
inline constexpr std::uint32_t kTextToneLowToHigh = 21535;
inline constexpr std::uint32_t kTextToneCustom = 21536;
inline constexpr std::uint32_t kTextFrequencyUnit = 21537;
inline constexpr std::uint32_t kTextStartupBuzzer = 21538;
inline constexpr std::uint32_t kTextReadTimeoutBuzzer = 21539;
inline constexpr std::uint32_t kTextIntermediateBuzzer = 21540;
inline constexpr std::uint32_t kTextGs1DataBar = 21541;
inline constexpr std::uint32_t kTextPdfMicroPdf417 = 21542;

// Status LED.
inline constexpr std::uint32_t kTextStatusLedCaption = 21560;
inline constexpr std::uint32_t kTextLedDuration = 21561;
inline constexpr std::uint32_t kTextLedOff = 21562;
inline constexpr std::uint32_t kTextLed01s = 21563;
inline constexpr std::uint32_t kTextLed02s = 21564;
inline constexpr std::uint32_t kTextLed04s = 21565;
inline constexpr std::uint32_t kTextLed08s = 21566;
inline constexpr std::uint32_t kTextLedInversion = 21567;
inline constexpr std::uint32_t kTextLedColor = 21568;
inline constexpr std::uint32_t kTextEnableConfiguration = 21569;
inline constexpr std::uint32_t kTextGoodReadLed = 21570;
inline constexpr std::uint32_t kTextLedNG = 21571;
inline constexpr std::uint32_t kTextStandDetection = 21572;
inline constexpr std::uint32_t kTextRed = 21573;
inline constexpr std::uint32_t kTextGreen = 21574;
inline constexpr std::uint32_t kTextBlue = 21575;

// Vibrator.
inline constexpr std::uint32_t kTextVibratorCaption = 21590;
inline constexpr std::uint32_t kTextVibrationIntensity = 21591;
inline constexpr std::uint32_t kTextIntensityStrong = 21592;
inline constexpr std::uint32_t kTextIntensityNormal = 21593;
inline constexpr std::uint32_t kTextIntensityWeak = 21594;
inline constexpr std::uint32_t kTextGoodReadVibrator = 21595;
inline constexpr std::uint32_t kTextVibrator50ms = 21596;
inline constexpr std::uint32_t kTextVibrator100ms = 21597;
inline constexpr std::uint32_t kTextStartupVibrator = 21598;
inline constexpr std::uint32_t kTextIntermediateVibrator = 21599;

// Silent mode.
inline constexpr std::uint32_t kTextSilentModeCaption = 21610;
inline constexpr std::uint32_t kTextModeChange = 21611;
inline constexpr std::uint32_t kTextTriggerCount = 21612;
inline constexpr std::uint32_t kTextIndicatorConfiguration = 21613;
inline constexpr std::uint32_t kTextIndicatorMethodA = 21614;
inline constexpr std::uint32_t kTextIndicatorMethodB = 21615;
inline constexpr std::uint32_t kTextIndicatorBuzzer = 21616;
inline constexpr std::uint32_t kTextIndicatorVibrator = 21617;
inline constexpr std::uint32_t kTextTriggerCountUnit = 21618;

// Prefix/suffix.
inline constexpr std::uint32_t kTextPrefixSuffixCaption = 21630;
inline constexpr std::uint32_t kTextCommonNote = 21631;
inline constexpr std::uint32_t kTextEachCodeNote = 21632;
inline constexpr std::uint32_t kTextEachCode = 21633;
inline constexpr std::uint32_t kTextCodeType = 21634;
inline constexpr std::uint32_t kTextPreview = 21635;
inline constexpr std::uint32_t kTextReset = 21636;
inline constexpr std::uint32_t kTextResetQuestion = 21637;
inline constexpr std::uint32_t kTextPreamble = 21638;
inline constexpr std::uint32_t kTextPostamble = 21639;
inline constexpr std::uint32_t kTextPrefix = 21640;
inline constexpr std::uint32_t kTextSuffix = 21641;
inline constexpr std::uint32_t kTextConnectionType = 21642;
inline constexpr std::uint32_t kTextConnectionHid = 21643;
inline constexpr std::uint32_t kTextConnectionCom = 21644;
inline constexpr std::uint32_t kTextSelectValueCaption = 21645;
inline constexpr std::uint32_t kTextPreviewData = 21646;
inline constexpr std::uint32_t kTextSlotHint = 21647;

// Bluetooth address barcode and send-command dialogs.
inline constexpr std::uint32_t kTextCodeSize = 21670;
inline constexpr std::uint32_t kTextValue = 21671;
inline constexpr std::uint32_t kTextDateTimeHint = 21672;
inline constexpr std::uint32_t kTextAvailableCharacters = 21673;
inline constexpr std::uint32_t kTextDeviceNameCharacters = 21674;
inline constexpr std::uint32_t kTextSend = 21675;
inline constexpr std::uint32_t kTextClose = 21676;
inline constexpr std::uint32_t kTextNoBluetoothDevice = 21677;
inline constexpr std::uint32_t kTextCurrentTime = 21678;

}  // namespace omni::compose
