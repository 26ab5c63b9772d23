// The second yardstick for start-up: the editor's own form (src/ui/mainForm.ui,
// with the fixed-width font of its boxes and its fixed frame and size)
// showing the demo image's first slot as fixed texts, and none of the
// program's logic: no image read, no list filled, no document, no icon. The
// editor's instructions beside this program's are what the program itself
// costs beyond its form. It takes an image argument as the editor does and
// shows it as the path.

#include "ui/FormScale.h"
#include "ui_mainForm.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QMainWindow window;
    Ui::mainForm ui;
    ui.setupUi(&window);
    for (QLineEdit *box : {ui.txtName, ui.txtRaw, ui.txtByte2})
        box->setFont(corvantis::FixedFont());
    window.setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint);
    ui.centralwidget->setFixedSize(294, 397);
    window.setFixedSize(294, 397 + ui.menubar->sizeHint().height());

    // Slot 0 of the demo image, as the editor shows it.
    ui.lblFilenameData->setText(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString());
    ui.txtName->setText(QStringLiteral("CURE"));
    ui.txtRaw->setText(QStringLiteral("00 10 00 10 07 B0 2C "));
    ui.txtByte2->setText(QStringLiteral("16"));
    ui.txtByte2->show();
    ui.cbByte2->hide();
    const std::pair<QComboBox *, const char *> shown[] = {
        {ui.cbSpellName, "CURE"},     {ui.cbByte4, "One Ally"},     {ui.cbByte5, "Increase HP"},
        {ui.cbByte3, "No Elemental"}, {ui.cbByte6, "Bar of Light"}, {ui.cbByte7, "Whitish"}};
    for (const auto &[box, text] : shown)
        box->addItem(QString::fromLatin1(text));
    ui.cbByte1->setEditable(true);
    ui.cbByte1->setCompleter(nullptr);
    ui.cbByte1->setEditText(QStringLiteral("00 White"));
    window.show();
    ui.cbSpellName->setFocus();
    return app.exec();
}
