#pragma once

#include "scheme/scheme_edits.h"

#include <Qt>

namespace tarnvel {

// Item data of the tree and the detail list.
enum ItemRole {
    KeyRole = Qt::UserRole,   // node or row key
    TagRole,                  // node or row tag; in column 1 of the list the value cell's tag
    ImageRole,                // image number of a list row (0: none)
    ChoiceRole,               // in column 1: true when the value is one of the parameter's choices
};

} // namespace tarnvel
