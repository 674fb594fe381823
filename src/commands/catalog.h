// The command catalog: the compiled-in tree of reader settings an operator can pick.
//
// Two catalogs share this layout, the 2D catalog (QR menu codes) and the 1D catalog (Code 39
// sheets). Both are generated at build time from catalog/catalog2d.txt and catalog/catalog1d.txt
// and are constant for the whole run; they are safe to read from any thread.
#pragma once

#include <cstdint>
#include <span>

namespace omni::commands {

// What picking an entry does (see resolve.h).
enum class EntryKind : std::uint32_t {
    Command = 0,               // the entry's own command
    PrefixSuffix = 1,          // prefix/suffix dialog
    DecimalArgument = 2,       // number input, value appended as digit tokens
    SilentMode = 3,            // silent-mode dialog
    ByteArgument = 4,          // number input, value appended as a "[$hh" token
    Buzzer = 5,                // buzzer dialog
    StatusLed = 6,             // status LED dialog
    Vibrator = 7,              // vibrator dialog
    BluetoothAddress = 8,      // Bluetooth address barcode dialog, caption 771
    BluetoothClearData = 9,    // address barcode dialog with the command, caption 818
    BluetoothDisconnect = 10,  // address barcode dialog with the command, caption 819
    BluetoothTime = 11,        // Bluetooth send dialog, caption 823
    BluetoothTimeCode = 12,    // address barcode dialog, caption 823 (no catalog uses it)
    BluetoothDeviceName = 13,  // Bluetooth send dialog, caption 824
    BluetoothDemoMode = 14,    // address barcode dialog with the command, caption 838
    Waveform = 15,             // the main window opens the waveform viewer
};

// Bits of CatalogEntry::flags for kind 2 entries.
inline constexpr std::uint16_t kOfferInitialize = 0x1;
inline constexpr std::uint16_t kOfferInhibit = 0x2;

// One pickable setting. An entry whose labelId is 0 ends its array.
struct CatalogEntry {
    std::uint32_t labelId;      // string id of the caption
    EntryKind kind;             // any 32-bit value; kinds above 15 resolve to nothing
    const char* command;        // base command, "" for kinds that need none
    std::int16_t minValue;      // kinds 2 and 4: smallest value accepted
    std::int16_t maxValue;      // kinds 2 and 4: largest value accepted
    std::int16_t defaultValue;  // kinds 2 and 4: value the dialog starts with
    std::uint16_t digits;       // kind 2: number of digit tokens appended
    std::uint16_t flags;        // kind 2: kOfferInitialize | kOfferInhibit
};

// One group of the tree. A node whose labelId is 0 ends its array.
struct CatalogNode {
    std::uint32_t labelId;        // string id of the caption
    const CatalogNode* children;  // sub-groups ended by a 0 node, or null
    const CatalogEntry* entries;  // entries ended by a 0 entry, or null
};

// The top-level node array of the 2D (true) or 1D (false) catalog, ended by a 0 node.
const CatalogNode* catalogRoot(bool mode2D);

// The sub-groups and the entries of a group, without their terminators (empty for null).
std::span<const CatalogNode> childrenOf(const CatalogNode* group);
std::span<const CatalogEntry> entriesOf(const CatalogNode* group);
// The top-level groups of a catalog.
std::span<const CatalogNode> topLevelGroups(bool mode2D);

}  // namespace omni::commands
