// A bare Qt window holding one combo box: what any Qt Widgets program costs to
// start, against which the editor's start-up is measured.

#include <QApplication>
#include <QComboBox>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Bare Qt Window"));
    auto *layout = new QVBoxLayout(&window);
    auto *box = new QComboBox(&window);
    box->addItem(QStringLiteral("One item"));
    layout->addWidget(box);
    window.show();
    return app.exec();
}
