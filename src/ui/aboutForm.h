#pragma once

#include <QDialog>
#include <QIcon>
#include <QPixmap>

#include <memory>

namespace Ui {
class aboutForm;
}

namespace corvantis {

// The program icon (the 32 x 32, 16-colour picture, with larger renderings
// for window managers that ask for them), for every window of the program.
QIcon ProgramIcon();

// The 32 x 32 picture stretched to size x size pixel for pixel, without
// smoothing, as the About box shows it.
QPixmap ProgramIconPixmap(int size);

// The icon at the one size a window needs to come up, decoded from PNG alone;
// the window takes ProgramIcon once it has shown its first frame.
QIcon ProgramIconForStartUp();

} // namespace corvantis

// The About box: the program icon, title, version, licence and the two
// credits, with one OK button. The main window creates it on first use and
// keeps it; OK, Enter, Escape and the close box only hide it.
class aboutForm : public QDialog {
    Q_OBJECT

  public:
    explicit aboutForm(QWidget *parent = nullptr);
    ~aboutForm() override;

  public slots:
    void cmdOK_Click();

  private:
    std::unique_ptr<Ui::aboutForm> ui;
};
