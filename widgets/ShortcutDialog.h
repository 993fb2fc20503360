#pragma once

#include <QDialog>
#include <QKeySequence>
#include <QLineEdit>

#include <functional>

class QLabel;
class QPushButton;

// A field that takes the key combination the user presses, instead of text. Tab, Return and
// Escape keep their dialog meaning; Backspace or Delete leave no combination.
class ShortcutEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit ShortcutEdit(QWidget* parent = nullptr);

    QKeySequence combination() const { return combination_; }
    void setCombination(const QKeySequence& combination);

    // Why a combination was refused: `key` alone would be taken from every program, or
    // the pressed key cannot be one.
    static QString needsModifierText(const QString& key);
    static QString unsupportedText();

signals:
    // A pressed combination the field did not take, and why (for the user).
    void refused(const QString& reason);
    // The user pressed an acceptable combination, or removed it (empty); the field shows it
    // once the owner sets it with setCombination().
    void pressedCombination(const QKeySequence& combination);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;

private:
    QKeySequence combination_;
};

// Lets the user press new combinations for starting a capture and stopping a recording.
// What to do with them is the owner's: `apply` tries them and returns what went wrong, or an
// empty text when they are in force; the dialog stays open after a refusal.
class ShortcutDialog : public QDialog {
    Q_OBJECT
public:
    using Apply = std::function<QString(const QKeySequence& capture, const QKeySequence& stop)>;

    ShortcutDialog(const QKeySequence& capture, const QKeySequence& stop, Apply apply,
                   QWidget* parent = nullptr);

    // Shows these combinations as the ones in force.
    void setCombinations(const QKeySequence& capture, const QKeySequence& stop);
    // On a desktop that gives programs no combinations, the fields are off and the dialog
    // says where the user binds the program's commands instead.
    void setKeptByDesktop(bool kept);
    // The capture combination the user wanted (`wanted`, empty: none) is held by another
    // program, so that none is in force: the dialog says so and offers `suggestion` (empty: no
    // offer), which one click puts in force.
    void setHeldByOther(const QKeySequence& wanted, const QKeySequence& suggestion);

    // What the dialog says of a combination another program holds.
    static QString heldByOtherText(const QString& key);

    void accept() override;

protected:
    void changeEvent(QEvent* event) override;

private:
    void retranslate();
    void reserveProblemRoom();
    static QString takenText(const QString& key);
    void onPressed(ShortcutEdit* edit, ShortcutEdit* other, const QKeySequence& combination);

    Apply apply_;
    QLabel* captureLabel_;
    ShortcutEdit* captureEdit_;
    QLabel* stopLabel_;
    ShortcutEdit* stopEdit_;
    QLabel* howLabel_;
    QLabel* problemLabel_;
    QLabel* fallbackLabel_;
    QLabel* heldLabel_;
    QPushButton* suggestionButton_;
    QKeySequence heldByOther_;
    QKeySequence suggestion_;
    bool keptByDesktop_ = false;
    QPushButton* okButton_;
    QPushButton* cancelButton_;
};
