#pragma once

#include <QComboBox>
#include <QFont>
#include <QWidget>

namespace corvantis {

// The forms are laid out in pixels for the default 9 pt application font. A
// larger application font grows them in proportion, so that every caption
// still fits; a smaller one leaves them as they are.
double FormScale();

// Moves and resizes every child of form by scale, keeping neighbours that
// touch touching.
void ScaleChildren(QWidget *form, double scale);

// Widens each of form's one-line labels that its text does not fit, away
// from the edge the text is aligned to (both ways when centred), within the
// form.
void FitLabels(QWidget *form);

// The fixed-width font of the text boxes and lists: the system's fixed
// font, 9 pt at the default application font, grown by FormScale(). Looked
// up once.
QFont FixedFont();

// A list in the fixed-width font from its construction. A combo box that
// gets a new font builds its popup there and then; this one builds it only
// when it is first opened, and the popup inherits the font.
class FixedComboBox : public QComboBox {
    Q_OBJECT

  public:
    explicit FixedComboBox(QWidget *parent = nullptr);

  protected:
    void changeEvent(QEvent *event) override;

  private:
    bool built_ = false;
};

} // namespace corvantis
