#include "dataedit/gs1_dictionary.h"

#include <vector>

namespace omni::dataedit {
namespace {

// The AIs with their formats, in AI order. D = fixed digits, C = alphanumeric; Var* = up to the
// length; Extension: the AI has one more digit (310n, 23x).
constexpr GS1AiRange kRanges[] = {
    {"00", "00", {{{GS1Kind::Numeric, 18}}}, "SERIAL SHIPPING CONTAINER CODE (SSCC)"},
    {"01", "01", {{{GS1Kind::Numeric, 14}}}, "GLOBAL TRADE ITEM NUMBER (GTIN)"},
    {"02", "02", {{{GS1Kind::Numeric, 14}}}, "GTIN OF CONTAINED TRADE ITEMS"},
    {"10", "10", {{{GS1Kind::VarAlphanumeric, 20}}}, "BATCH/LOT"},
    {"11", "11", {{{GS1Kind::Date, 6}}}, "PROD DATE"},
    {"12", "12", {{{GS1Kind::Date, 6}}}, "DUE DATE"},
    {"13", "13", {{{GS1Kind::Date, 6}}}, "PACK DATE"},
    {"15", "15", {{{GS1Kind::Date, 6}}}, "BEST BEFORE"},
    {"16", "16", {{{GS1Kind::Date, 6}}}, "SELL BY"},
    {"17", "17", {{{GS1Kind::Date, 6}}}, "USE BY OR EXPIRY"},
    {"20", "20", {{{GS1Kind::Numeric, 2}}}, "VARIANT"},
    {"21", "21", {{{GS1Kind::VarAlphanumeric, 20}}}, "SERIAL"},
    {"22", "22", {{{GS1Kind::VarAlphanumeric, 20}}}, "CPV"},
    {"23", "23", {{{GS1Kind::Extension, 1}, {GS1Kind::OddAlphanumeric, 19}}}, "LOT EXTENSION"},
    {"240", "240", {{{GS1Kind::VarAlphanumeric, 30}}}, "ADDITIONAL ID"},
    {"241", "241", {{{GS1Kind::VarAlphanumeric, 30}}}, "CUST. PART No."},
    {"242", "242", {{{GS1Kind::VarNumeric, 6}}}, "MTO VARIANT"},
    {"243", "243", {{{GS1Kind::VarAlphanumeric, 20}}}, "PCN"},
    {"250", "250", {{{GS1Kind::VarAlphanumeric, 30}}}, "SECONDARY SERIAL"},
    {"251", "251", {{{GS1Kind::VarAlphanumeric, 30}}}, "REF. TO SOURCE"},
    {"252", "252", {{{GS1Kind::Numeric, 27}}}, "DOCUMENT REFERENCE"},
    {"253", "253", {{{GS1Kind::Numeric, 13}, {GS1Kind::VarAlphanumeric, 17}}}, "GDTI"},
    {"254", "254", {{{GS1Kind::VarAlphanumeric, 20}}}, "GLN EXTENSION COMPONENT"},
    {"255", "255", {{{GS1Kind::Numeric, 13}, {GS1Kind::VarNumeric, 12}}}, "GCN"},
    {"30", "30", {{{GS1Kind::VarNumeric, 8}}}, "VAR. COUNT"},
    {"310", "310", {{{GS1Kind::Extension, 1}, {GS1Kind::Decimal, 6}}}, "NET WEIGHT (kg)"},
    {"311", "311", {{{GS1Kind::Extension, 1}, {GS1Kind::Decimal, 6}}}, "LENGTH (m)"},
    {"312", "312", {{{GS1Kind::Extension, 1}, {GS1Kind::Decimal, 6}}}, "WIDTH (m)"},
    {"313", "313", {{{GS1Kind::Extension, 1}, {GS1Kind::Decimal, 6}}}, "HEIGHT (m)"},
    {"314", "314", {{{GS1Kind::Extension, 1}, {GS1Kind::Decimal, 6}}}, "AREA (m2)"},
    {"315", "315", {{{GS1Kind::Extension, 1}, {GS1Kind::Decimal, 6}}}, "NET VOLUME (l)"},
    {"316", "316", {{{GS1Kind::Extension, 1}, {GS1Kind::Decimal, 6}}}, "NET VOLUME (m3)"},
    {"320", "320", {{{GS1Kind::Extension, 1}, {GS1Kind::Decimal, 6}}}, "NET WEIGHT (lb)"},
    {"321", "321", {{{GS1Kind::Extension, 1}, {GS1Kind::Decimal, 6}}}, "LENGTH (i)"},
    {"322", "322", {{{GS1Kind::Extension, 1}, {GS1Kind::Decimal, 6}}}, "LENGTH (f)"},
    {"323", "323", {{{GS1Kind::Extension, 1}, {GS1Kind::Decimal, 6}}}, "LENGTH (y)"},
    {"324", "324", {{{GS1Kind::Extension, 1}, {GS1Kind::Decimal, 6}}}, "WIDTH (i)"},
    {"325", "325", {{{GS1Kind::Extension, 1}, {GS1Kind::Decimal, 6}}}, "WIDTH (f)"},
    {"326", "326", {{{GS1Kind::Extension, 1}, {GS1Kind::Decimal, 6}}}, "WIDTH (y)"},
    {"327", "327", {{{GS1Kind::Extension, 1}, {GS1Kind::Decimal, 6}}}, "HEIGHT (i)"},
    {"328", "328", {{{GS1Kind::Extension, 1}, {GS1Kind::Decimal, 6}}}, "HEIGHT (f)"},
    {"329", "329", {{{GS1Kind::Extension, 1}, {GS1Kind::Decimal, 6}}}, "HEIGHT (y)"},
    {"330", "330", {{{GS1Kind::Extension, 1}, {GS1Kind::Decimal, 6}}}, "GROSS WEIGHT (kg)"},
    {"331", "331", {{{GS1Kind::Extension, 1}, {GS1Kind::Decimal, 6}}}, "LENGTH (m), log"},
    {"332", "332", {{{GS1Kind::Extension, 1}, {GS1Kind::Decimal, 6}}}, "WIDTH (m), log"},
    {"333", "333", {{{GS1Kind::Extension, 1}, {GS1Kind::Decimal, 6}}}, "HEIGHT (m), log"},
    {"334", "334", {{{GS1Kind::Extension, 1}, {GS1Kind::Decimal, 6}}}, "AREA (m2), log"},
    {"335", "335", {{{GS1Kind::Extension, 1}, {GS1Kind::Decimal, 6}}}, "VOLUME (l), log"},
    {"336", "336", {{{GS1Kind::Extension, 1}, {GS1Kind::Decimal, 6}}}, "VOLUME (m3), log"},
    {"337", "337", {{{GS1Kind::Extension, 1}, {GS1Kind::Decimal, 6}}}, "KG PER m2"},
    {"340", "340", {{{GS1Kind::Extension, 1}, {GS1Kind::Decimal, 6}}}, "GROSS WEIGHT (lb)"},
    {"341", "341", {{{GS1Kind::Extension, 1}, {GS1Kind::Decimal, 6}}}, "LENGTH (i), log"},
    {"342", "342", {{{GS1Kind::Extension, 1}, {GS1Kind::Decimal, 6}}}, "LENGTH (f), log"},
    {"343", "343", {{{GS1Kind::Extension, 1}, {GS1Kind::Decimal, 6}}}, "LENGTH (y), log"},
    {"344", "344", {{{GS1Kind::Extension, 1}, {GS1Kind::Decimal, 6}}}, "WIDTH (i), log"},
    {"345", "345", {{{GS1Kind::Extension, 1}, {GS1Kind::Decimal, 6}}}, "WIDTH (f), log"},
    {"346", "346", {{{GS1Kind::Extension, 1}, {GS1Kind::Decimal, 6}}}, "WIDTH (y), log"},
    {"347", "347", {{{GS1Kind::Extension, 1}, {GS1Kind::Decimal, 6}}}, "HEIGHT (i), log"},
    {"348", "348", {{{GS1Kind::Extension, 1}, {GS1Kind::Decimal, 6}}}, "HEIGHT (f), log"},
    {"349", "349", {{{GS1Kind::Extension, 1}, {GS1Kind::Decimal, 6}}}, "HEIGHT (y), log"},
    {"350", "350", {{{GS1Kind::Extension, 1}, {GS1Kind::Decimal, 6}}}, "AREA (i2)"},
    {"351", "351", {{{GS1Kind::Extension, 1}, {GS1Kind::Decimal, 6}}}, "AREA (f2)"},
    {"352", "352", {{{GS1Kind::Extension, 1}, {GS1Kind::Decimal, 6}}}, "AREA (y2)"},
    {"353", "353", {{{GS1Kind::Extension, 1}, {GS1Kind::Decimal, 6}}}, "AREA (i2), log"},
    {"354", "354", {{{GS1Kind::Extension, 1}, {GS1Kind::Decimal, 6}}}, "AREA (f2), log"},
    {"355", "355", {{{GS1Kind::Extension, 1}, {GS1Kind::Decimal, 6}}}, "AREA (y2), log"},
    {"356", "356", {{{GS1Kind::Extension, 1}, {GS1Kind::Decimal, 6}}}, "NET WEIGHT (t)"},
    {"357", "357", {{{GS1Kind::Extension, 1}, {GS1Kind::Decimal, 6}}}, "NET VOLUME (oz)"},
    {"360", "360", {{{GS1Kind::Extension, 1}, {GS1Kind::Decimal, 6}}}, "NET VOLUME (q)"},
    {"361", "361", {{{GS1Kind::Extension, 1}, {GS1Kind::Decimal, 6}}}, "NET VOLUME (g)"},
    {"362", "362", {{{GS1Kind::Extension, 1}, {GS1Kind::Decimal, 6}}}, "VOLUME (q), log"},
    {"363", "363", {{{GS1Kind::Extension, 1}, {GS1Kind::Decimal, 6}}}, "VOLUME (g), log"},
    {"364", "364", {{{GS1Kind::Extension, 1}, {GS1Kind::Decimal, 6}}}, "VOLUME (i3)"},
    {"365", "365", {{{GS1Kind::Extension, 1}, {GS1Kind::Decimal, 6}}}, "VOLUME (f3)"},
    {"366", "366", {{{GS1Kind::Extension, 1}, {GS1Kind::Decimal, 6}}}, "VOLUME (y3)"},
    {"367", "367", {{{GS1Kind::Extension, 1}, {GS1Kind::Decimal, 6}}}, "VOLUME (i3), log"},
    {"368", "368", {{{GS1Kind::Extension, 1}, {GS1Kind::Decimal, 6}}}, "VOLUME (f3), log"},
    {"369", "369", {{{GS1Kind::Extension, 1}, {GS1Kind::Decimal, 6}}}, "VOLUME (y3), log"},
    {"37", "37", {{{GS1Kind::VarNumeric, 8}}}, "COUNT"},
    {"390", "390", {{{GS1Kind::Extension, 1}, {GS1Kind::VarDecimal, 15}}}, "AMOUNT"},
    {"391",
     "391",
     {{{GS1Kind::Extension, 1}, {GS1Kind::Numeric, 3}, {GS1Kind::VarDecimal, 15}}},
     "AMOUNT (ISO CURRENCY)"},
    {"392", "392", {{{GS1Kind::Extension, 1}, {GS1Kind::VarDecimal, 15}}}, "PRICE"},
    {"393",
     "393",
     {{{GS1Kind::Extension, 1}, {GS1Kind::Numeric, 3}, {GS1Kind::VarDecimal, 15}}},
     "PRICE (ISO CURRENCY)"},
    {"394", "394", {{{GS1Kind::Extension, 1}, {GS1Kind::Decimal, 4}}}, "PRCNT OFF"},
    {"400", "400", {{{GS1Kind::VarAlphanumeric, 30}}}, "ORDER NUMBER"},
    {"401", "401", {{{GS1Kind::VarAlphanumeric, 30}}}, "GINC"},
    {"402", "402", {{{GS1Kind::Numeric, 17}}}, "GSIN"},
    {"403", "403", {{{GS1Kind::VarAlphanumeric, 30}}}, "ROUTE"},
    {"410", "410", {{{GS1Kind::Numeric, 13}}}, "SHIP TO LOC"},
    {"411", "411", {{{GS1Kind::Numeric, 13}}}, "BILL TO"},
    {"412", "412", {{{GS1Kind::Numeric, 13}}}, "PURCHASE FROM"},
    {"413", "413", {{{GS1Kind::Numeric, 13}}}, "SHIP FOR LOC"},
    {"414", "414", {{{GS1Kind::Numeric, 13}}}, "IDENTIFICATION OF A PHYSICAL LOCATION (GLN)"},
    {"415", "415", {{{GS1Kind::Numeric, 13}}}, "PAY TO"},
    {"420", "420", {{{GS1Kind::VarAlphanumeric, 20}}}, "SHIP TO POST"},
    {"421", "421", {{{GS1Kind::Numeric, 3}, {GS1Kind::VarAlphanumeric, 9}}}, "SHIP TO POST (ISO)"},
    {"422", "422", {{{GS1Kind::Numeric, 3}}}, "ORIGIN"},
    {"423", "423", {{{GS1Kind::VarNumeric, 15}}}, "COUNTRY - INITIAL PROCESS."},
    {"424", "424", {{{GS1Kind::Numeric, 3}}}, "COUNTRY - PROCESS."},
    {"425", "425", {{{GS1Kind::VarNumeric, 15}}}, "COUNTRY - DISASSEMBLY"},
    {"426", "426", {{{GS1Kind::Numeric, 3}}}, "COUNTRY - FULL PROCESS"},
    {"427", "427", {{{GS1Kind::VarAlphanumeric, 3}}}, "ORIGIN SUBDIVISION"},
    {"43",
     "43",
     {{{GS1Kind::Numeric, 4},
       {GS1Kind::Numeric, 7},
       {GS1Kind::VarAlphanumeric, 10},
       {GS1Kind::Numeric, 1}}},
     "SHIPMENT DETAILS"},
    {"7001", "7001", {{{GS1Kind::Numeric, 13}}}, "NSN"},
    {"7002", "7002", {{{GS1Kind::VarAlphanumeric, 30}}}, "MEAT CUT"},
    {"7003", "7003", {{{GS1Kind::Numeric, 10}}}, "EXPIRY TIME"},
    {"7004", "7004", {{{GS1Kind::VarNumeric, 4}}}, "ACTIVE POTENCY"},
    {"7005", "7005", {{{GS1Kind::VarAlphanumeric, 12}}}, "CATCH AREA"},
    {"7006", "7006", {{{GS1Kind::Date, 6}}}, "FIRST FREEZE DATE"},
    {"7007", "7007", {{{GS1Kind::Date, 6}, {GS1Kind::VarNumeric, 12}}}, "HARVEST DATE"},
    {"7008", "7008", {{{GS1Kind::VarAlphanumeric, 3}}}, "AQUATIC SPECIES"},
    {"7009", "7009", {{{GS1Kind::VarNumeric, 10}}}, "FISHING GEAR TYPE"},
    {"7010", "7010", {{{GS1Kind::VarAlphanumeric, 2}}}, "PROD METHOD"},
    {"7020", "7020", {{{GS1Kind::VarAlphanumeric, 20}}}, "REFURB LOT"},
    {"7021", "7021", {{{GS1Kind::VarAlphanumeric, 20}}}, "FUNC STAT"},
    {"7022", "7022", {{{GS1Kind::VarAlphanumeric, 20}}}, "REV STAT"},
    {"7023", "7023", {{{GS1Kind::VarAlphanumeric, 30}}}, "GIAI - ASSEMBLY"},
    {"7030", "7039", {{{GS1Kind::Numeric, 3}, {GS1Kind::VarAlphanumeric, 27}}}, "PROCESSOR"},
    {"710", "710", {{{GS1Kind::VarAlphanumeric, 20}}}, "NHRN PZN"},
    {"711", "711", {{{GS1Kind::VarAlphanumeric, 20}}}, "NHRN CIP"},
    {"712", "712", {{{GS1Kind::VarAlphanumeric, 20}}}, "NHRN CN"},
    {"713", "713", {{{GS1Kind::VarAlphanumeric, 20}}}, "NHRN DRN"},
    {"8001", "8001", {{{GS1Kind::Numeric, 14}}}, "DIMENSIONS"},
    {"8002", "8002", {{{GS1Kind::VarAlphanumeric, 20}}}, "CMT No."},
    {"8003", "8003", {{{GS1Kind::Numeric, 14}, {GS1Kind::VarAlphanumeric, 16}}}, "GRAI"},
    {"8004", "8004", {{{GS1Kind::VarAlphanumeric, 30}}}, "GIAI"},
    {"8005", "8005", {{{GS1Kind::Numeric, 6}}}, "PRICE PER UNIT"},
    {"8006",
     "8006",
     {{{GS1Kind::Numeric, 14}, {GS1Kind::Numeric, 2}, {GS1Kind::Numeric, 2}}},
     "ITIP"},
    {"8007", "8007", {{{GS1Kind::VarAlphanumeric, 30}}}, "IBAN"},
    {"8008", "8008", {{{GS1Kind::Numeric, 8}, {GS1Kind::VarNumeric, 4}}}, "PROD TIME"},
    {"8010", "8010", {{{GS1Kind::VarAlphanumeric, 30}}}, "CPID"},
    {"8011", "8011", {{{GS1Kind::VarNumeric, 12}}}, "CPID SERIAL"},
    {"8012", "8012", {{{GS1Kind::VarAlphanumeric, 20}}}, "VERSION"},
    {"8017", "8017", {{{GS1Kind::Numeric, 18}}}, "GSRN - PROVIDER"},
    {"8018", "8018", {{{GS1Kind::Numeric, 18}}}, "GSRN - RECIPIENT"},
    {"8019", "8019", {{{GS1Kind::VarNumeric, 10}}}, "SRIN"},
    {"8020", "8020", {{{GS1Kind::VarAlphanumeric, 25}}}, "REF No."},
    {"8100", "8100", {{{GS1Kind::Numeric, 1}, {GS1Kind::Numeric, 5}}}, "COUPON"},
    {"8101",
     "8101",
     {{{GS1Kind::Numeric, 1}, {GS1Kind::Numeric, 5}, {GS1Kind::Numeric, 4}}},
     "COUPON"},
    {"8102", "8102", {{{GS1Kind::Numeric, 1}, {GS1Kind::Numeric, 1}}}, "COUPON"},
    {"8110", "8110", {{{GS1Kind::VarAlphanumeric, 70}}}, "COUPON"},
    {"8111", "8111", {{{GS1Kind::VarNumeric, 4}}}, "POINTS"},
    {"8112", "8112", {{{GS1Kind::VarAlphanumeric, 70}}}, "PAPERLESS COUPON"},
    {"8200", "8200", {{{GS1Kind::VarAlphanumeric, 70}}}, "PRODUCT URL"},
    {"90", "90", {{{GS1Kind::VarAlphanumeric, 30}}}, "INTERNAL"},
    {"91", "99", {{{GS1Kind::VarAlphanumeric, 90}}}, "INTERNAL"},
};

constexpr int parseDigits(std::string_view digits) {
    int value = 0;
    for (char c : digits)
        value = value * 10 + (c - '0');
    return value;
}

constexpr std::size_t countAis() {
    std::size_t count = 0;
    for (const GS1AiRange& range : kRanges)
        count += static_cast<std::size_t>(parseDigits(range.last) - parseDigits(range.first) + 1);
    return count;
}
static_assert(countAis() == kGS1AiCount, "the dictionary holds 163 AIs");

// --- The digit tree, built at compile time ---

enum class EntryType : std::uint8_t { Invalid, Branch, Leaf };

struct Entry {
    EntryType type = EntryType::Invalid;
    std::uint16_t index = 0;  // Branch: node; Leaf: row of kRanges
};

struct Node {
    Entry next[10] = {};
};

constexpr std::size_t kMaxNodes = 48;

struct Tree {
    Node nodes[kMaxNodes] = {};
    std::size_t used = 1;  // node 0 is the root
    std::size_t leaves = 0;
    bool consistent = true;  // no AI reached twice, none the prefix of another
};

// Adds the AI `digits` (as many as the range's AIs have) as a leaf for row `row`.
constexpr void addAi(Tree& tree, int value, std::size_t width, std::size_t row) {
    char digits[4] = {};
    for (std::size_t i = width; i-- > 0; value /= 10)
        digits[i] = static_cast<char>('0' + value % 10);
    std::size_t node = 0;
    for (std::size_t i = 0; i < width; ++i) {
        Entry& entry = tree.nodes[node].next[digits[i] - '0'];
        if (i + 1 == width) {
            if (entry.type != EntryType::Invalid)
                tree.consistent = false;
            entry = {EntryType::Leaf, static_cast<std::uint16_t>(row)};
            ++tree.leaves;
            return;
        }
        if (entry.type == EntryType::Leaf || tree.used >= kMaxNodes) {
            tree.consistent = false;
            return;
        }
        if (entry.type == EntryType::Invalid)
            entry = {EntryType::Branch, static_cast<std::uint16_t>(tree.used++)};
        node = entry.index;
    }
}

constexpr Tree buildTree() {
    Tree tree;
    std::size_t row = 0;
    for (const GS1AiRange& range : kRanges) {
        for (int ai = parseDigits(range.first); ai <= parseDigits(range.last); ++ai)
            addAi(tree, ai, range.first.size(), row);
        ++row;
    }
    return tree;
}

constexpr Tree kTree = buildTree();
static_assert(kTree.consistent, "every AI is reached once and none is the prefix of another");
static_assert(kTree.leaves == kGS1AiCount);

std::vector<GS1TitleRow> buildTitleList() {
    std::vector<GS1TitleRow> list;
    for (const GS1AiRange& range : kRanges) {
        const bool extended = range.format[0].kind == GS1Kind::Extension;
        char suffix = 0;
        if (extended)
            suffix = range.format[1].kind == GS1Kind::OddAlphanumeric ? 'L' : 'D';
        const std::size_t width = range.first.size();
        for (int ai = parseDigits(range.first); ai <= parseDigits(range.last); ++ai) {
            std::string digits(width, '0');
            for (std::size_t i = width, v = static_cast<std::size_t>(ai); i-- > 0; v /= 10)
                digits[i] = static_cast<char>('0' + v % 10);
            GS1TitleRow row{digits, digits, range.title};
            if (suffix)
                row.code += suffix;
            list.push_back(std::move(row));
        }
    }
    return list;
}

}  // namespace

bool IsVariable(GS1Kind kind) {
    return kind == GS1Kind::VarNumeric || kind == GS1Kind::VarDecimal ||
           kind == GS1Kind::VarAlphanumeric;
}

bool IsNumericKind(GS1Kind kind) {
    return kind == GS1Kind::Numeric || kind == GS1Kind::Decimal || kind == GS1Kind::Date ||
           kind == GS1Kind::VarNumeric || kind == GS1Kind::VarDecimal || kind == GS1Kind::Extension;
}

std::span<const GS1AiRange> GS1AiRanges() {
    return kRanges;
}

std::optional<GS1Lookup> LookUpGS1Ai(std::string_view text) {
    std::size_t node = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return std::nullopt;
        const Entry& entry = kTree.nodes[node].next[c - '0'];
        if (entry.type == EntryType::Invalid)
            return std::nullopt;
        if (entry.type == EntryType::Leaf)
            return GS1Lookup{i + 1, &kRanges[entry.index]};
        node = entry.index;
    }
    return std::nullopt;
}

const GS1AiRange* FindGS1Ai(std::string_view ai) {
    auto found = LookUpGS1Ai(ai);
    if (!found)
        return nullptr;
    std::size_t extension = 0;
    if (found->range->format[0].kind == GS1Kind::Extension)
        extension = found->range->format[0].length;
    if (ai.size() != found->digits + extension)
        return nullptr;
    for (std::size_t i = found->digits; i < ai.size(); ++i) {
        if (ai[i] < '0' || ai[i] > '9')
            return nullptr;
    }
    return found->range;
}

bool IsGS1Character(char c) {
    const auto u = static_cast<unsigned char>(c);
    return u == 0x21 || u == 0x22 || (u >= 0x25 && u <= 0x3F) || (u >= 0x41 && u <= 0x5A) ||
           u == 0x5F || (u >= 0x61 && u <= 0x7A);
}

std::span<const GS1TitleRow> GS1TitleList() {
    static const std::vector<GS1TitleRow> list = buildTitleList();
    return list;
}

int GS1TitleRowOf(std::string_view text) {
    const auto list = GS1TitleList();
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list[i].code == text || list[i].digits == text)
            return static_cast<int>(i);
    }
    return -1;
}

}  // namespace omni::dataedit
