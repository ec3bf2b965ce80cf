#include "edit/running_edit.h"

namespace quorbel {
namespace {

class RunningEdit final : public RunningOperation {
  public:
    RunningEdit(EditKind kind, CQuorbelView& view, EditStep step)
        : m_host(view), m_operation(kind, m_host, std::move(step)) {}

    const char* Name() const override { return m_operation.Name(); }
    bool Done() const override { return m_operation.Done(); }
    bool EndedAtStart() const override { return m_operation.EndedAtStart(); }
    int Percent() const override { return m_operation.Percent(); }
    std::chrono::steady_clock::duration Elapsed() const override { return m_operation.Elapsed(); }
    void Cancel() override { m_operation.Cancel(); }
    bool Complete() override { return m_operation.Complete(); }

  private:
    ViewEditHost m_host;
    EditOperation m_operation;  // destroyed first: it refers to `m_host`
};

}  // namespace

std::unique_ptr<RunningOperation> StartEdit(EditKind kind, CQuorbelView& view, EditStep step) {
    return std::make_unique<RunningEdit>(kind, view, std::move(step));
}

}  // namespace quorbel
