#pragma once

namespace quorbel {

// Empties the process-wide clipboard buffer (start-up state: no data, no format).
void resetClipboardBuffer();

}  // namespace quorbel
