#include "app/clipboard_reset.h"

#include "wavefile/clipboard.h"

namespace quorbel {

void resetClipboardBuffer() {
    g_pClipData = nullptr;
    g_dwClipLen = 0;
    g_nClipChannels = 0;
    g_nClipBits = 0;
}

}  // namespace quorbel
