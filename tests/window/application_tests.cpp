#include <QPushButton>
#include <QTest>
#include <stdexcept>

#include "Application.h"
#include "RecordingDialogs.h"

namespace {

// Throws from its event handler on a user event, counts every other one.
class Thrower : public QObject {
public:
    int handled = 0;
    bool event(QEvent* event) override
    {
        if (event->type() == QEvent::User) throw std::runtime_error("disc tray jammed");
        if (event->type() == QEvent::Type(QEvent::User + 1)) {
            ++handled;
            return true;
        }
        return QObject::event(event);
    }
};

}  // namespace

class ApplicationTests : public QObject {
    Q_OBJECT

private slots:
    void exceptionFromAHandlerIsShownAndTheProgramGoesOn_data()
    {
        QTest::addColumn<QString>("route");
        QTest::newRow("sent event") << "send";
        QTest::newRow("posted event") << "post";
        QTest::newRow("button click") << "click";
    }
    void exceptionFromAHandlerIsShownAndTheProgramGoesOn()
    {
        QFETCH(QString, route);
        RecordingDialogs dialogs;
        Thrower thrower;
        QPushButton button("go");
        connect(&button, &QPushButton::clicked, this, [] { throw std::runtime_error("disc tray jammed"); });
        button.show();

        if (route == "send") {
            QEvent event(QEvent::User);
            QCOMPARE(QCoreApplication::sendEvent(&thrower, &event), false);
        } else if (route == "post") {
            QCoreApplication::postEvent(&thrower, new QEvent(QEvent::User));
            QCoreApplication::processEvents();
        } else {
            // The throwing handler never gets to accept the release; that is the point.
            QTest::ignoreMessage(QtWarningMsg, "Mouse event \"MouseRelease\" not accepted by receiving widget");
            QTest::mouseClick(&button, Qt::LeftButton);
        }

        QCOMPARE(dialogs.Lines(), QStringList{QString::fromUtf8("ミルドア動画分割|disc tray jammed.")});
        QCOMPARE(dialogs.boxes[0].icon, Dialogs::Icon::Critical);

        QEvent next(QEvent::Type(QEvent::User + 1));
        QVERIFY(QCoreApplication::sendEvent(&thrower, &next));
        QCOMPARE(thrower.handled, 1);
    }
};

int main(int argc, char* argv[])
{
    TApplication application(argc, argv);
    ApplicationTests tests;
    return QTest::qExec(&tests, argc, argv);
}

#include "application_tests.moc"
