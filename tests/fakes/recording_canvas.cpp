#include "fakes/recording_canvas.h"

namespace quorbel {

bool RecordingCanvas::drawBitmap(int id, Point at) {
    calls.push_back({Op::Bitmap, at, id, {}, {}, {}});
    return true;
}

void RecordingCanvas::selectPen(Color color, int width) {
    calls.push_back({Op::Pen, {}, width, color, {}, {}});
}

void RecordingCanvas::moveTo(Point p) {
    calls.push_back({Op::MoveTo, p, 0, {}, {}, {}});
}

void RecordingCanvas::lineTo(Point p) {
    calls.push_back({Op::LineTo, p, 0, {}, {}, {}});
}

void RecordingCanvas::drawEdge(const Rect& r, EdgeStyle style) {
    calls.push_back({Op::Edge, {}, 0, {}, r, style});
}

std::vector<RecordingCanvas::Call> RecordingCanvas::only(Op op) const {
    std::vector<Call> out;
    for (const Call& c : calls)
        if (c.op == op) out.push_back(c);
    return out;
}

std::vector<Point> RecordingCanvas::linePoints() const {
    std::vector<Point> out;
    for (const Call& c : calls)
        if (c.op == Op::LineTo) out.push_back(c.p);
    return out;
}

}  // namespace quorbel
