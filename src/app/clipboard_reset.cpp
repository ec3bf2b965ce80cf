#include "app/clipboard_reset.h"

#include "wavefile/clipboard.h"

namespace quorbel {

void resetClipboardBuffer() {
    EmptyClipData();
}

}  // namespace quorbel
