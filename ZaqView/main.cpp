// ZaqView: the event viewer of the ZAQ16 link library.
#include <QApplication>
#include <QCommandLineParser>
#include <QSettings>
#include <QTimer>

#include "EventListModel.h"
#include "MainDialog.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setOrganizationName("Tessaline");
    QApplication::setApplicationName("ZaqView");
    QApplication::setApplicationVersion(ZAQVIEW_VERSION_TEXT);

    QCommandLineParser parser;
    parser.setApplicationDescription("Lists the events of the ZAQ16 units and shows the displays of their phones.");
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption maxLines(
        "max-lines", "Keep at most N lines in the event list (default 100000, remembered).", "N");
    parser.addOption(maxLines);
    const QCommandLineOption enableEvents("enable-events",
                                          "Switch the units' D-channel output on after start-up (\"Events\" \"Enable\").");
    parser.addOption(enableEvents);
    parser.process(app);

    QSettings settings;
    int cap = settings.value("eventList/maxLines", EventListModel::kDefaultMaxLines).toInt();
    if (parser.isSet(maxLines)) {
        bool ok = false;
        cap = parser.value(maxLines).toInt(&ok);
        if (!ok || cap < 1) {
            qCritical("--max-lines needs a number of at least 1");
            return 2;
        }
        settings.setValue("eventList/maxLines", cap);
    }

    MainDialog window(cap);
    window.show();
    QTimer::singleShot(0, &window, [&window, on = parser.isSet(enableEvents)] {
        window.StartUp();
        if (on) {
            window.SetDChannelEvents(true);
        }
    });
    return QApplication::exec();
}
