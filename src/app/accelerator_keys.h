#pragma once

#include <QKeySequence>

#include "res/accelerators.h"

namespace quorbel {

// The key sequence of one accelerator-table entry.
QKeySequence keySequence(const Accelerator& accelerator);

}  // namespace quorbel
