#pragma once

// The editor view of one document. This header fixes the entry points the Qt shell calls;
// the state, handlers and drawing are declared and built in src/view/.

#include <cstdint>

#include "framework/app_context.h"
#include "framework/canvas.h"
#include "framework/command_target.h"
#include "framework/geometry.h"
#include "framework/view_window.h"

namespace quorbel {

class CQuorbelDoc;

class CQuorbelView : public CommandTarget {
  public:
    CQuorbelView(CQuorbelDoc& document, ViewWindow& window, AppContext& context);
    ~CQuorbelView() override;

    void OnInitialUpdate();
    void OnDraw(Canvas& canvas);
    void OnLButtonDown(unsigned flags, Point point);
    void OnLButtonUp(unsigned flags, Point point);
    void OnMouseMove(unsigned flags, Point point);
    void OnRButtonDown(unsigned flags, Point point);
    void OnTimer(unsigned timerId);
    void OnHScroll(int code, int pos);
    // Sees every posted window message first; handles the device notice (kMsgDeviceNotify).
    void WindowProc(unsigned message, std::uintptr_t wParam, std::intptr_t lParam);

    bool OnUpdateCommand(int id, CommandState& state) override;
    bool OnCommand(int id) override;

    CQuorbelDoc& GetDocument() const { return m_document; }

  private:
    CQuorbelDoc& m_document;
    ViewWindow& m_window;
    AppContext& m_context;
};

}  // namespace quorbel
