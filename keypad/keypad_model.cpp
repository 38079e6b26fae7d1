#include "keypad/keypad_model.h"

KeypadModel::KeypadModel()
{
    for (std::size_t i = 0; i < kKeyTable.size(); ++i) {
        labels[i] = captionFor(kKeyTable[i].unshifted);
    }
}
