// The peer of the trainer's start-up: a minimal Qt program that shows one dialog, a caption, a
// line of text and an OK button, and reports through the same probe as the trainer.
#include "app/StartupProbe.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("Baseline"));
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(QStringLiteral("A minimal dialog."), &dialog));
    auto* ok = new QPushButton(QStringLiteral("OK"), &dialog);
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    layout->addWidget(ok);
    WatchFirstShow(&dialog);
    dialog.exec();
    return 0;
}
