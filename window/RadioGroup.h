#pragma once

#include <QGroupBox>
#include <QList>
#include <QStringList>

class QButtonGroup;
class QRadioButton;

// A framed group of radio buttons with one selected index: -1 until something is chosen; choosing a different item, by code or by a
// click, emits Click() before the change returns, even while the group is disabled;
// choosing the current item again does nothing.
class TRadioGroup : public QGroupBox {
    Q_OBJECT
    Q_PROPERTY(QStringList items READ Items WRITE SetItems)

public:
    explicit TRadioGroup(QWidget* parent = nullptr);

    QStringList Items() const;
    // Replaces the buttons; nothing is selected afterwards.
    void SetItems(const QStringList& items);

    int ItemIndex() const { return itemIndex_; }
    void SetItemIndex(int index);

    QRadioButton* Button(int index) const { return buttons_.value(index); }

signals:
    void Click();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void ButtonToggled(int index, bool checked);
    void PlaceButtons();

    QButtonGroup* group_;
    QList<QRadioButton*> buttons_;
    int itemIndex_ = -1;
    bool updating_ = false;
};
