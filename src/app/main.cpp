// The editor's program: one application object on Qt, started with the command line.
#include <QApplication>

#include "app/editorapp.h"

int main(int argc, char** argv) {
    QApplication qtApp(argc, argv);
    QApplication::setOrganizationName("Ostrel");
    QApplication::setApplicationName("Velmora Editor");
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    app::CEditorApp editor;
    if (!editor.InitInstance(arguments))
        return 1;
    return QApplication::exec();
}
