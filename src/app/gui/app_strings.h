// String ids of the main window's captions and messages (the string table's app.tsv).
#pragma once

#include <cstdint>

namespace omni::app::ids {

// Fixed ids.
inline constexpr std::uint32_t kToolNew = 116;
inline constexpr std::uint32_t kToolOpen = 117;
inline constexpr std::uint32_t kToolSave = 118;
inline constexpr std::uint32_t kToolPrint = 119;
inline constexpr std::uint32_t kToolCut = 120;
inline constexpr std::uint32_t kToolCopy = 121;
inline constexpr std::uint32_t kToolPaste = 122;
inline constexpr std::uint32_t kToolDelete = 390;
inline constexpr std::uint32_t kCharacterCode = 366;
inline constexpr std::uint32_t kOpenTitle = 450;
inline constexpr std::uint32_t kNoZ2OnMenuCode = 555;

// Menus.
inline constexpr std::uint32_t kProgram = 20000;
inline constexpr std::uint32_t kMenuFile = 20001;
inline constexpr std::uint32_t kMenuEdit = 20002;
inline constexpr std::uint32_t kMenuFormat = 20003;
inline constexpr std::uint32_t kMenuCommunication = 20004;
inline constexpr std::uint32_t kMenuScanner = 20005;
inline constexpr std::uint32_t kMenuHelp = 20006;

inline constexpr std::uint32_t kNew = 20010;
inline constexpr std::uint32_t kOpen = 20011;
inline constexpr std::uint32_t kSave = 20012;
inline constexpr std::uint32_t kSaveAs = 20013;
inline constexpr std::uint32_t kSetupPrinter = 20014;
inline constexpr std::uint32_t kSetupPage = 20015;
inline constexpr std::uint32_t kPrint = 20016;
inline constexpr std::uint32_t kExit = 20017;
inline constexpr std::uint32_t kCut = 20020;
inline constexpr std::uint32_t kCopy = 20021;
inline constexpr std::uint32_t kPaste = 20022;
inline constexpr std::uint32_t kDelete = 20023;
inline constexpr std::uint32_t kSelectAll = 20024;
inline constexpr std::uint32_t kSend = 20025;
inline constexpr std::uint32_t kBackToCommandBox = 20026;
inline constexpr std::uint32_t kMakeMenuCode = 20030;
inline constexpr std::uint32_t kSwitchMode = 20031;
inline constexpr std::uint32_t kHelp = 20035;
inline constexpr std::uint32_t kAbout = 20036;

// Bands and toolbars.
inline constexpr std::uint32_t kPortBand = 20040;
inline constexpr std::uint32_t kCommandBand = 20041;
inline constexpr std::uint32_t kFileToolbar = 20042;
inline constexpr std::uint32_t kScannerToolbar = 20043;
inline constexpr std::uint32_t kToolNewMenu = 20044;
inline constexpr std::uint32_t kToolSwitchMode = 20045;

// File dialogs and messages.
inline constexpr std::uint32_t kTextFilter = 20050;
inline constexpr std::uint32_t kEmfFilter = 20051;
inline constexpr std::uint32_t kPngFilter = 20052;
inline constexpr std::uint32_t kSvgFilter = 20053;
inline constexpr std::uint32_t kPdfFilter = 20054;
inline constexpr std::uint32_t kSaveTitle = 20055;
inline constexpr std::uint32_t kOnlyTextFiles = 20056;
inline constexpr std::uint32_t kAboutText = 20060;
inline constexpr std::uint32_t kHelpMissing = 20061;
inline constexpr std::uint32_t kWaveformNotYet = 20062;
inline constexpr std::uint32_t kAboutTitle = 20063;

}  // namespace omni::app::ids
