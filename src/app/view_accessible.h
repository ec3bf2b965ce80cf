#pragma once

// The view as assistive technology sees it: a named pane whose description tells what sound
// is loaded, worked out when it is asked for so that it is never stale.

namespace quorbel {

// Installs (once) the accessibility factory that gives every ViewWidget its interface.
void installViewAccessibleFactory();

}  // namespace quorbel
