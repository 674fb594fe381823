// The generated catalog tables (built by omni_cataloggen from catalog2d.txt and catalog1d.txt).
// Internal to omni_commands: use catalogRoot() from commands/catalog.h.
#pragma once

#include "commands/catalog.h"

namespace omni::commands::catalog_data {

extern const CatalogNode* const kRoot2D;
extern const CatalogNode* const kRoot1D;

}  // namespace omni::commands::catalog_data
