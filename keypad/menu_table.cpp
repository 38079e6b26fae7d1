#include "keypad/menu_table.h"

#include <stdexcept>

const MenuDef& menuDef(MenuItem item)
{
    for (const MenuDef& def : kMenuTable) {
        if (def.item == item) {
            return def;
        }
    }
    throw std::invalid_argument("menuDef: unknown menu item");
}
