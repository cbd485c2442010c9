#include "RadioGroup.h"

#include <QButtonGroup>
#include <QEvent>
#include <QRadioButton>

TRadioGroup::TRadioGroup(QWidget* parent) : QGroupBox(parent), group_(new QButtonGroup(this))
{
    connect(group_, &QButtonGroup::idToggled, this, &TRadioGroup::ButtonToggled);
}

QStringList TRadioGroup::Items() const
{
    QStringList items;
    for (const QRadioButton* button : buttons_) items << button->text();
    return items;
}

void TRadioGroup::SetItems(const QStringList& items)
{
    qDeleteAll(buttons_);
    buttons_.clear();
    itemIndex_ = -1;
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i], this);
        group_->addButton(button, i);
        buttons_ << button;
        button->show();
    }
    PlaceButtons();
}

void TRadioGroup::SetItemIndex(int index)
{
    index = qBound(-1, index, static_cast<int>(buttons_.size()) - 1);
    if (index == itemIndex_) return;

    updating_ = true;
    if (index < 0) {
        // An exclusive group cannot uncheck its last button by itself.
        group_->setExclusive(false);
        buttons_[itemIndex_]->setChecked(false);
        group_->setExclusive(true);
    } else {
        buttons_[index]->setChecked(true);
    }
    updating_ = false;

    itemIndex_ = index;
    // Clearing the selection clicks no button, so it tells nobody.
    if (index >= 0) emit Click();
}

void TRadioGroup::ButtonToggled(int index, bool checked)
{
    if (updating_ || !checked || index == itemIndex_) return;
    itemIndex_ = index;
    emit Click();
}

void TRadioGroup::resizeEvent(QResizeEvent* event)
{
    QGroupBox::resizeEvent(event);
    PlaceButtons();
}

void TRadioGroup::changeEvent(QEvent* event)
{
    QGroupBox::changeEvent(event);
    if (event->type() == QEvent::FontChange) PlaceButtons();
}

// The items share the space under the caption evenly, one row each; no layout, so the form's fixed geometry stays as designed.
void TRadioGroup::PlaceButtons()
{
    if (buttons_.isEmpty()) return;
    const QRect area = contentsRect();
    const int rowHeight = area.height() / static_cast<int>(buttons_.size());
    const int indent = fontMetrics().averageCharWidth();
    for (int i = 0; i < buttons_.size(); ++i) {
        const int buttonHeight = qMin(rowHeight, buttons_[i]->sizeHint().height());
        const int top = area.top() + i * rowHeight + (rowHeight - buttonHeight) / 2;
        buttons_[i]->setGeometry(area.left() + indent, top, area.width() - 2 * indent, buttonHeight);
    }
}
