#pragma once

#include <QWidget>

#include <cstddef>

class QCheckBox;
class QLabel;
class QLineEdit;

// The row over the tiles that narrows them: a search field, the "with
// alarms" toggle and the count of tiles shown. The window's Find key focuses
// the field; Escape in it clears it.
class MowerSearchBar : public QWidget {
    Q_OBJECT
public:
    explicit MowerSearchBar(QWidget* parent = nullptr);

    // Texts in the catalogue's current language; the count too.
    void setCaptions();
    void setCount(std::size_t shown, std::size_t total);
    QString text() const;
    bool alarmsOnly() const;
    QLineEdit* edit() const { return edit_; }

signals:
    // At every keystroke and toggle.
    void filterChanged(const QString& text, bool alarmsOnly);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showCount();

    QLineEdit* edit_ = nullptr;
    QCheckBox* alarms_ = nullptr;
    QLabel* count_ = nullptr;
    std::size_t shown_ = 0;
    std::size_t total_ = 0;
};
