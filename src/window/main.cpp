#include "form1.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TibboRead"));
    QApplication::setOrganizationName(QString());
    QApplication::setQuitOnLastWindowClosed(false);
    tibbo::window::Form1 form;
    form.show();
    const QStringList args = QApplication::arguments();
    form.Form_Load(args.size() > 1 ? args.at(1) : QString());
    return app.exec();
}
