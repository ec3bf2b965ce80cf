#pragma once

#include <QImage>

namespace quorbel::art {

// The application's icon at `size` x `size` pixels: a blue plate like the skins' with a
// dark screen showing a green trace, and at larger sizes a play button under it. Small sizes
// drop detail so the trace stays clear. Needs no QGuiApplication (no text).
QImage applicationIconImage(int size);

// A document's icon: a white page with a blue trace.
QImage documentIconImage(int size);

}  // namespace quorbel::art
