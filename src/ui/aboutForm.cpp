#include "ui/aboutForm.h"

#include "ui/FormScale.h"
#include "ui_aboutForm.h"

#include <QLabel>

// The icon lives in a static library, whose resources are linked in only when
// something registers them by name.
static void registerIconResources() {
    Q_INIT_RESOURCE(corvantis);
}

namespace corvantis {

namespace {

const char IconPath[] = ":/icons/corvantis-spell-editor.ico";

void ensureResources() {
    static const bool registered = (registerIconResources(), true);
    Q_UNUSED(registered);
}

} // namespace

QIcon ProgramIcon() {
    ensureResources();
    // Decoded as PNG by name (sniffing a file's format costs more than
    // decoding it). The 64 and 128 pixel renderings are the 32 x 32 grid
    // doubled and quadrupled pixel for pixel, so they are made here, not
    // decoded; 16 and 48 are drawn apart.
    const auto rendering = [](int size) {
        return QImage(QStringLiteral(":/icons/corvantis-spell-editor-%1.png").arg(size), "PNG");
    };
    const QImage grid = rendering(32);
    QIcon icon;
    for (const QImage &image :
         {rendering(16), grid, rendering(48),
          grid.scaled(64, 64, Qt::IgnoreAspectRatio, Qt::FastTransformation),
          grid.scaled(128, 128, Qt::IgnoreAspectRatio, Qt::FastTransformation)})
        icon.addPixmap(QPixmap::fromImage(image));
    return icon;
}

QIcon ProgramIconForStartUp() {
    ensureResources();
    return QIcon(QStringLiteral(":/icons/corvantis-spell-editor-32.png"));
}

QPixmap ProgramIconPixmap(int size) {
    ensureResources();
    const QPixmap picture(QString::fromLatin1(IconPath));
    return picture.scaled(size, size, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

} // namespace corvantis

aboutForm::aboutForm(QWidget *parent) : QDialog(parent), ui(std::make_unique<Ui::aboutForm>()) {
    ui->setupUi(this);
    // Laid out for the default font; a larger one grows the whole box.
    const double scale = corvantis::FormScale();
    corvantis::ScaleChildren(this, scale);
    setFixedSize(size() * scale);
    // A fixed dialog frame: title and close box only, no resizing.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(size());
    setWindowIcon(corvantis::ProgramIcon());
    // Already the label's size, so the label's own stretching changes nothing
    // and the pixels stay square.
    ui->Image1->setPixmap(corvantis::ProgramIconPixmap(ui->Image1->width()));
    corvantis::FitLabels(this);
    connect(ui->cmdOK, &QPushButton::clicked, this, &aboutForm::cmdOK_Click);
}

aboutForm::~aboutForm() = default;

void aboutForm::cmdOK_Click() {
    // Hidden, not destroyed: the next About command shows this same box.
    accept();
}
