#include "app/progress_pane.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>

namespace quorbel {

ProgressPane::ProgressPane(QWidget* window, QWidget* parent)
    : QWidget(parent),
      name_(new QLabel(this)),
      bar_(new QProgressBar(this)),
      cancel_(new QPushButton(tr("Cancel"), this)),
      escape_(new QShortcut(QKeySequence(Qt::Key_Escape), window)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(name_, 1);
    layout->addWidget(bar_);
    layout->addWidget(cancel_);
    bar_->setRange(0, 100);
    bar_->setMaximumWidth(120);
    bar_->setAccessibleName(tr("Progress"));
    escape_->setEnabled(false);
    connect(cancel_, &QPushButton::clicked, this, &ProgressPane::cancelNow);
    connect(escape_, &QShortcut::activated, this, &ProgressPane::cancelNow);
    setVisible(false);
}

void ProgressPane::show(const std::string& name, int percent, std::function<void()> cancel) {
    name_->setText(QString::fromStdString(name));
    bar_->setValue(percent);
    onCancel_ = std::move(cancel);
    cancel_->setEnabled(onCancel_ != nullptr);
    escape_->setEnabled(onCancel_ != nullptr);
    if (!isHidden()) return;
    setVisible(true);
    emit shownChanged(true);
}

void ProgressPane::armEscape(std::function<void()> cancel) {
    onCancel_ = std::move(cancel);
    escape_->setEnabled(onCancel_ != nullptr);
}

void ProgressPane::hideAndForget() {
    onCancel_ = nullptr;
    escape_->setEnabled(false);
    if (isHidden()) return;
    setVisible(false);
    emit shownChanged(false);
}

void ProgressPane::cancelNow() {
    // The callback completes the operation, which hides this pane: take it first.
    std::function<void()> cancel = std::move(onCancel_);
    hideAndForget();
    if (cancel) cancel();
}

}  // namespace quorbel
