#include "stream/code_page_table.h"

#include <algorithm>
#include <iterator>

namespace omni::stream {
namespace {

// Number, converter name, list name. The list names are those the system gives its code pages.
// UTF-16 (1200, 1201) is not here: the code-page list adds it with its own conversion.
constexpr CodePageInfo kCodePages[] = {
    {37, "IBM037", u"IBM EBCDIC - U.S./Canada"},
    {437, "IBM437", u"OEM - United States"},
    {500, "IBM500", u"IBM EBCDIC - International"},
    {708, "ASMO-708", u"Arabic - ASMO"},
    {737, "CP737", u"OEM - Greek 437G"},
    {775, "CP775", u"OEM - Baltic"},
    {850, "IBM850", u"OEM - Multilingual Latin I"},
    {852, "IBM852", u"OEM - Latin II"},
    {855, "IBM855", u"OEM - Cyrillic"},
    {857, "IBM857", u"OEM - Turkish"},
    {858, "IBM858", u"OEM - Multilingual Latin I + Euro"},
    {860, "IBM860", u"OEM - Portuguese"},
    {861, "IBM861", u"OEM - Icelandic"},
    {862, "IBM862", u"OEM - Hebrew"},
    {863, "IBM863", u"OEM - Canadian French"},
    {864, "IBM864", u"OEM - Arabic"},
    {865, "IBM865", u"OEM - Nordic"},
    {866, "IBM866", u"OEM - Russian"},
    {869, "IBM869", u"OEM - Modern Greek"},
    {870, "IBM870", u"IBM EBCDIC - Multilingual/ROECE (Latin-2)"},
    {874, "CP874", u"ANSI/OEM - Thai"},
    {875, "IBM875", u"IBM EBCDIC - Modern Greek"},
    {932, "CP932", u"ANSI/OEM - Japanese Shift-JIS"},
    {936, "CP936", u"ANSI/OEM - Simplified Chinese GBK"},
    {949, "CP949", u"ANSI/OEM - Korean"},
    {950, "CP950", u"ANSI/OEM - Traditional Chinese Big5"},
    {1026, "IBM1026", u"IBM EBCDIC - Turkish (Latin-5)"},
    {1047, "IBM1047", u"IBM EBCDIC - Latin-1/Open System"},
    {1140, "IBM1140", u"IBM EBCDIC - U.S./Canada (037 + Euro)"},
    {1141, "IBM1141", u"IBM EBCDIC - Germany (20273 + Euro)"},
    {1142, "IBM1142", u"IBM EBCDIC - Denmark/Norway (20277 + Euro)"},
    {1143, "IBM1143", u"IBM EBCDIC - Finland/Sweden (20278 + Euro)"},
    {1144, "IBM1144", u"IBM EBCDIC - Italy (20280 + Euro)"},
    {1145, "IBM1145", u"IBM EBCDIC - Latin America/Spain (20284 + Euro)"},
    {1146, "IBM1146", u"IBM EBCDIC - United Kingdom (20285 + Euro)"},
    {1147, "IBM1147", u"IBM EBCDIC - France (20297 + Euro)"},
    {1148, "IBM1148", u"IBM EBCDIC - International (500 + Euro)"},
    {1149, "IBM1149", u"IBM EBCDIC - Icelandic (20871 + Euro)"},
    {1250, "CP1250", u"ANSI - Central Europe"},
    {1251, "CP1251", u"ANSI - Cyrillic"},
    {1252, "CP1252", u"ANSI - Latin I"},
    {1253, "CP1253", u"ANSI - Greek"},
    {1254, "CP1254", u"ANSI - Turkish"},
    {1255, "CP1255", u"ANSI - Hebrew"},
    {1256, "CP1256", u"ANSI - Arabic"},
    {1257, "CP1257", u"ANSI - Baltic"},
    {1258, "CP1258", u"ANSI/OEM - Viet Nam"},
    {1361, "JOHAB", u"Korean - Johab"},
    {10000, "MACINTOSH", u"MAC - Roman"},
    {10001, "SHIFT_JIS", u"MAC - Japanese"},
    {10002, "BIG5", u"MAC - Traditional Chinese Big5"},
    {10003, "EUC-KR", u"MAC - Korean"},
    {10004, "MAC-ARABIC", u"MAC - Arabic"},
    {10005, "MAC-HEBREW", u"MAC - Hebrew"},
    {10006, "MAC-GREEK", u"MAC - Greek I"},
    {10007, "MAC-CYRILLIC", u"MAC - Cyrillic"},
    {10008, "GB2312", u"MAC - Simplified Chinese GB 2312"},
    {10010, "MAC-ROMANIA", u"MAC - Romania"},
    {10017, "MAC-UKRAINIAN", u"MAC - Ukraine"},
    {10021, "MAC-THAI", u"MAC - Thai"},
    {10029, "MAC-CENTRALEUROPE", u"MAC - Latin II"},
    {10079, "MAC-IS", u"MAC - Icelandic"},
    {10081, "MAC-TURKISH", u"MAC - Turkish"},
    {10082, "MAC-CROATIAN", u"MAC - Croatia"},
    {20000, "EUC-TW", u"CNS - Taiwan"},
    {20105, "ISO646-US", u"IA5 IRV International Alphabet No.5"},
    {20106, "ISO646-DE", u"IA5 German"},
    {20107, "ISO646-SE", u"IA5 Swedish"},
    {20108, "ISO646-NO", u"IA5 Norwegian"},
    {20127, "ASCII", u"US-ASCII"},
    {20261, "T.61-8BIT", u"T.61"},
    {20269, "ISO_6937", u"ISO 6937 Non-Spacing Accent"},
    {20273, "IBM273", u"IBM EBCDIC - Germany"},
    {20277, "IBM277", u"IBM EBCDIC - Denmark/Norway"},
    {20278, "IBM278", u"IBM EBCDIC - Finland/Sweden"},
    {20280, "IBM280", u"IBM EBCDIC - Italy"},
    {20284, "IBM284", u"IBM EBCDIC - Latin America/Spain"},
    {20285, "IBM285", u"IBM EBCDIC - United Kingdom"},
    {20290, "IBM290", u"IBM EBCDIC - Japanese Katakana Extended"},
    {20297, "IBM297", u"IBM EBCDIC - France"},
    {20420, "IBM420", u"IBM EBCDIC - Arabic"},
    {20423, "IBM423", u"IBM EBCDIC - Greek"},
    {20424, "IBM424", u"IBM EBCDIC - Hebrew"},
    {20866, "KOI8-R", u"Russian - KOI8"},
    {20871, "IBM871", u"IBM EBCDIC - Icelandic"},
    {20880, "IBM880", u"IBM EBCDIC - Cyrillic (Russian)"},
    {20905, "IBM905", u"IBM EBCDIC - Turkish"},
    {20932, "EUC-JP", u"JIS X 0208-1990 & 0212-1990"},
    {20936, "GB2312", u"Simplified Chinese GB2312"},
    {20949, "EUC-KR", u"Korean Wansung"},
    {21025, "IBM1025", u"IBM EBCDIC - Cyrillic (Serbian, Bulgarian)"},
    {21866, "KOI8-U", u"Ukrainian - KOI8-U"},
    {28591, "ISO-8859-1", u"ISO 8859-1 Latin I"},
    {28592, "ISO-8859-2", u"ISO 8859-2 Central Europe"},
    {28593, "ISO-8859-3", u"ISO 8859-3 Latin 3"},
    {28594, "ISO-8859-4", u"ISO 8859-4 Baltic"},
    {28595, "ISO-8859-5", u"ISO 8859-5 Cyrillic"},
    {28596, "ISO-8859-6", u"ISO 8859-6 Arabic"},
    {28597, "ISO-8859-7", u"ISO 8859-7 Greek"},
    {28598, "ISO-8859-8", u"ISO 8859-8 Hebrew: Visual Ordering"},
    {28599, "ISO-8859-9", u"ISO 8859-9 Latin 5"},
    {28603, "ISO-8859-13", u"ISO 8859-13 Latin 7"},
    {28605, "ISO-8859-15", u"ISO 8859-15 Latin 9"},
    {38598, "ISO-8859-8", u"ISO 8859-8 Hebrew: Logical Ordering"},
    {50220, "ISO-2022-JP", u"ISO-2022 Japanese with no halfwidth Katakana"},
    {50225, "ISO-2022-KR", u"ISO-2022 Korean"},
    {50227, "ISO-2022-CN", u"ISO-2022 Simplified Chinese"},
    {51932, "EUC-JP-MS", u"EUC-Japanese"},
    {51949, "EUC-KR", u"EUC-Korean"},
    {54936, "GB18030", u"GB18030 Simplified Chinese (4 Byte)"},
    {65000, "UTF-7", u"UTF-7"},
    {65001, "UTF-8", u"UTF-8"},
};

constexpr bool orderedByNumber() {
    for (std::size_t i = 1; i < std::size(kCodePages); ++i) {
        if (kCodePages[i - 1].number >= kCodePages[i].number)
            return false;
    }
    return true;
}
static_assert(orderedByNumber(), "the table is searched by number");

}  // namespace

std::span<const CodePageInfo> knownCodePages() {
    return kCodePages;
}

const CodePageInfo* findCodePage(std::uint32_t number) {
    auto it =
        std::lower_bound(std::begin(kCodePages), std::end(kCodePages), number,
                         [](const CodePageInfo& row, std::uint32_t n) { return row.number < n; });
    return it != std::end(kCodePages) && it->number == number ? &*it : nullptr;
}

}  // namespace omni::stream
