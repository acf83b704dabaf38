// F1..F5 as system-wide keys on a real X server: the test starts its own Xvfb,
// runs the windows on it, and plays another client that has the keyboard
// focus (and one that holds F5) through raw xcb connections. Keys are pressed
// through the XTEST extension, as if typed.
#include "GuiTest.h"
#include "ui/HotKeys.h"
#include "ui/main/Startup.h"
#include "ui/main/TForm1.h"
#include "ui/TForm2.h"

#include <QDir>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>

#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace orveltest;

namespace {

constexpr xcb_keysym_t kF1 = 0xffbe;
constexpr xcb_keysym_t kNumLock = 0xff7f;

std::string findProgram(const char *name)
{
    const char *path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos)
            end = dirs.size();
        const std::string candidate = dirs.substr(start, end - start) + "/" + name;
        if (end > start && access(candidate.c_str(), X_OK) == 0)
            return candidate;
        start = end + 1;
    }
    return {};
}

bool fileExists(const std::string &path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

// An Xvfb of our own on the first free display of :90..:99, ended with the test.
class Xvfb {
public:
    Xvfb()
    {
        program = findProgram("Xvfb");
        if (program.empty())
            return;
        for (int n = 90; n <= 99 && display.empty(); ++n)
            tryDisplay(n);
        if (display.empty())
            problem = "Xvfb did not start on any display of :90..:99";
    }
    ~Xvfb() { stop(); }

    void stop()
    {
        if (pid <= 0)
            return;
        kill(pid, SIGTERM);
        int status = 0;
        for (int i = 0; i < 100 && waitpid(pid, &status, WNOHANG) == 0; ++i)
            usleep(50 * 1000);
        if (waitpid(pid, &status, WNOHANG) == 0) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
        }
        pid = -1;
    }

    std::string program; // empty: Xvfb is not installed
    std::string display; // ":93" once running
    std::string problem;
    pid_t pid = -1;

private:
    void tryDisplay(int n)
    {
        const std::string name = ":" + std::to_string(n);
        const std::string socket = "/tmp/.X11-unix/X" + std::to_string(n);
        const std::string lock = "/tmp/.X" + std::to_string(n) + "-lock";
        if (fileExists(socket) || fileExists(lock))
            return; // someone else's server
        const pid_t child = fork();
        if (child < 0)
            return;
        if (child == 0) {
            // Ends with the test even if the test dies.
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            const int null = open("/dev/null", O_RDWR);
            dup2(null, STDOUT_FILENO);
            dup2(null, STDERR_FILENO);
            execl(program.c_str(), "Xvfb", name.c_str(), "-nolisten", "tcp", "-screen", "0", "1280x800x24",
                  "-noreset", static_cast<char *>(nullptr));
            _exit(127);
        }
        // Ready when the socket is there and the lock names our server (not
        // one that another program started on the same display meanwhile).
        for (int i = 0; i < 200; ++i) {
            int status = 0;
            if (waitpid(child, &status, WNOHANG) == child)
                return; // it gave up, most likely the display was taken
            if (fileExists(socket) && lockOwner(lock) == child) {
                pid = child;
                display = name;
                return;
            }
            usleep(50 * 1000);
        }
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
    }

    static pid_t lockOwner(const std::string &lock)
    {
        FILE *f = std::fopen(lock.c_str(), "r");
        if (!f)
            return -1;
        long owner = -1;
        if (std::fscanf(f, "%ld", &owner) != 1)
            owner = -1;
        std::fclose(f);
        return pid_t(owner);
    }
};

Xvfb *server = nullptr;

// Another X client: its own connection to the server.
class Client {
public:
    explicit Client(const std::string &display)
    {
        int screenNumber = 0;
        c = xcb_connect(display.c_str(), &screenNumber);
        xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(c));
        for (int i = 0; i < screenNumber; ++i)
            xcb_screen_next(&it);
        screen = it.data;
    }
    ~Client() { xcb_disconnect(c); }

    bool ok() const { return xcb_connection_has_error(c) == 0 && screen; }

    xcb_keycode_t keycode(xcb_keysym_t keysym)
    {
        const xcb_setup_t *setup = xcb_get_setup(c);
        const int count = setup->max_keycode - setup->min_keycode + 1;
        xcb_get_keyboard_mapping_reply_t *reply = xcb_get_keyboard_mapping_reply(
            c, xcb_get_keyboard_mapping(c, setup->min_keycode, uint8_t(count)), nullptr);
        xcb_keycode_t found = 0;
        if (reply) {
            const xcb_keysym_t *syms = xcb_get_keyboard_mapping_keysyms(reply);
            const int n = xcb_get_keyboard_mapping_keysyms_length(reply);
            for (int i = 0; i < n && !found; ++i)
                if (syms[i] == keysym)
                    found = xcb_keycode_t(setup->min_keycode + i / reply->keysyms_per_keycode);
            std::free(reply);
        }
        return found;
    }
    xcb_keycode_t fkey(int n) { return keycode(kF1 + xcb_keysym_t(n - 1)); }

    // Waits until the server has handled everything sent so far.
    void sync() { std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr)); }

    xcb_window_t focus()
    {
        xcb_get_input_focus_reply_t *r = xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr);
        const xcb_window_t f = r ? r->focus : XCB_NONE;
        std::free(r);
        return f;
    }

    // Types a key as the keyboard would.
    void type(xcb_keycode_t code)
    {
        xcb_test_fake_input(c, XCB_KEY_PRESS, code, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        xcb_test_fake_input(c, XCB_KEY_RELEASE, code, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
        sync();
    }

    // Keycodes of the key presses this client received since the last call.
    QList<int> keyPresses()
    {
        sync();
        QList<int> codes;
        while (xcb_generic_event_t *e = xcb_poll_for_event(c)) {
            if ((e->response_type & 0x7f) == XCB_KEY_PRESS)
                codes << reinterpret_cast<xcb_key_press_event_t *>(e)->detail;
            std::free(e);
        }
        return codes;
    }

    // Bottom-to-top position of a top-level window among the root's children.
    int stackingIndex(xcb_window_t window)
    {
        xcb_query_tree_reply_t *r = xcb_query_tree_reply(c, xcb_query_tree(c, screen->root), nullptr);
        int index = -1;
        if (r) {
            const xcb_window_t *children = xcb_query_tree_children(r);
            for (int i = 0; i < xcb_query_tree_children_length(r); ++i)
                if (children[i] == window)
                    index = i;
            std::free(r);
        }
        return index;
    }

    xcb_connection_t *c = nullptr;
    xcb_screen_t *screen = nullptr;
};

} // namespace

class TestHotKeysX11 : public QObject {
    Q_OBJECT

    orvel::OrvelWindows w;
    QTemporaryDir workDir;
    QString oldDir;
    std::unique_ptr<Client> holder;  // holds F5 before Orvel starts
    std::unique_ptr<Client> focused; // has the keyboard focus while keys are pressed
    xcb_window_t focusedWindow = XCB_NONE;

    QTabWidget *pages() { return child<QTabWidget>(w.form1, "PageControl1"); }

    // Lets Qt read and handle what the X server sent it.
    static void settle() { QTest::qWait(100); }

private slots:
    void initTestCase()
    {
        if (server->program.empty())
            QSKIP("Xvfb is not installed");
        QVERIFY2(!server->display.empty(), server->problem.c_str());
        QCOMPARE(QGuiApplication::platformName(), QStringLiteral("xcb"));

        holder = std::make_unique<Client>(server->display);
        QVERIFY(holder->ok());
        const xcb_keycode_t f5 = holder->fkey(5);
        QVERIFY(f5 != 0);
        xcb_generic_error_t *error = xcb_request_check(
            holder->c, xcb_grab_key_checked(holder->c, 0, holder->screen->root, 0, f5, XCB_GRAB_MODE_ASYNC,
                                            XCB_GRAB_MODE_ASYNC));
        QVERIFY(!error);

        oldDir = QDir::currentPath();
        QDir::setCurrent(workDir.path());
        ModalWatcher boxes;
        w = orvel::createOrvelWindows();
        // The converter tab (F4) never leaves this machine.
        w.form1->probeHost = QStringLiteral("127.0.0.1");
        w.form1->probePort = QStringLiteral("9");
        w.form1->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.form1));
        settle();
        QCOMPARE(boxes.texts(), QStringList()); // the held F5 is not reported

        // The other client's window, above the main window, with the focus.
        focused = std::make_unique<Client>(server->display);
        QVERIFY(focused->ok());
        focusedWindow = xcb_generate_id(focused->c);
        const uint32_t values[] = {focused->screen->white_pixel,
                                   XCB_EVENT_MASK_KEY_PRESS | XCB_EVENT_MASK_KEY_RELEASE};
        xcb_create_window(focused->c, XCB_COPY_FROM_PARENT, focusedWindow, focused->screen->root, 40, 40, 300,
                          200, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, focused->screen->root_visual,
                          XCB_CW_BACK_PIXEL | XCB_CW_EVENT_MASK, values);
        xcb_map_window(focused->c, focusedWindow);
        xcb_set_input_focus(focused->c, XCB_INPUT_FOCUS_POINTER_ROOT, focusedWindow, XCB_CURRENT_TIME);
        focused->sync();
        QCOMPARE(focused->focus(), focusedWindow);
        QTRY_VERIFY(QApplication::activeWindow() != w.form1);
    }

    // Each case starts with the focus on the other client (a message box of an
    // earlier case may have taken it) and nothing left over from before.
    void init()
    {
        xcb_set_input_focus(focused->c, XCB_INPUT_FOCUS_POINTER_ROOT, focusedWindow, XCB_CURRENT_TIME);
        focused->keyPresses();
        holder->keyPresses();
    }

    void cleanupTestCase()
    {
        if (w.form1)
            orvel::destroyOrvelWindows(w);
        if (!oldDir.isEmpty())
            QDir::setCurrent(oldDir);
        focused.reset();
        holder.reset();
    }

    // The focused client keeps the keyboard for every other key.
    void otherKeysReachFocusedClient()
    {
        const xcb_keycode_t f6 = focused->fkey(6);
        focused->type(f6);
        settle();
        QCOMPARE(focused->keyPresses(), QList<int>{f6});
        QCOMPARE(pages()->currentIndex(), 0);
    }

    // F3 switches the tab behind the focused client, which never sees the key,
    // and the main window is neither activated nor raised.
    void keyTakenFromFocusedClient()
    {
        const int mainBefore = focused->stackingIndex(xcb_window_t(w.form1->winId()));
        const int otherBefore = focused->stackingIndex(focusedWindow);
        QVERIFY(mainBefore >= 0 && otherBefore > mainBefore);

        focused->type(focused->fkey(3));
        QTRY_COMPARE(pages()->currentIndex(), 2);
        QCOMPARE(pages()->tabText(pages()->currentIndex()), QStringLiteral("Кредит (F3)"));
        QCOMPARE(focused->keyPresses(), QList<int>());

        QCOMPARE(focused->focus(), focusedWindow);
        QVERIFY(QApplication::activeWindow() != w.form1);
        QCOMPARE(focused->stackingIndex(focusedWindow), otherBefore);
        QCOMPARE(focused->stackingIndex(xcb_window_t(w.form1->winId())), mainBefore);
    }

    // Num Lock does not change what F2 does.
    void keyWithNumLock()
    {
        const xcb_keycode_t numLock = focused->keycode(kNumLock);
        QVERIFY(numLock != 0);
        focused->type(numLock);
        struct NumLockOff {
            Client *client;
            xcb_keycode_t key;
            ~NumLockOff() { client->type(key); }
        } off{focused.get(), numLock};
        focused->type(focused->fkey(2));
        QTRY_COMPARE(pages()->currentIndex(), 1);
        QCOMPARE(focused->keyPresses(), QList<int>{numLock});
    }

    // The keys work the same while one of Orvel's own windows has the focus.
    void keyWhileOwnWindowFocused()
    {
        w.form1->N2->trigger();
        QVERIFY(QTest::qWaitForWindowExposed(w.form2));
        xcb_set_input_focus(focused->c, XCB_INPUT_FOCUS_POINTER_ROOT, xcb_window_t(w.form2->winId()),
                            XCB_CURRENT_TIME);
        focused->sync();
        QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget *>(w.form2));
        focused->type(focused->fkey(2));
        QTRY_COMPARE(pages()->currentIndex(), 1);
        focused->type(focused->fkey(1));
        QTRY_COMPARE(pages()->currentIndex(), 0);

        w.form2->hide();
        xcb_set_input_focus(focused->c, XCB_INPUT_FOCUS_POINTER_ROOT, focusedWindow, XCB_CURRENT_TIME);
        focused->sync();
        QTRY_VERIFY(QApplication::activeWindow() == nullptr);
        QCOMPARE(focused->keyPresses(), QList<int>());
    }

    // Keys pressed while a handler is still running (its error box is open)
    // wait until it has ended, then switch the tabs in the order they were
    // pressed; a key pressed after the box comes after them.
    void keysWaitForRunningHandler()
    {
        QCOMPARE(pages()->currentIndex(), 0);
        QSignalSpy shown(pages(), &QTabWidget::currentChanged);
        child<QLineEdit>(w.form1, "Edit1")->setText(QStringLiteral("abc"));
        bool sawBox = false;
        int pageWhileOpen = -1;
        QTimer::singleShot(0, this, [&] {
            QTRY_VERIFY(qobject_cast<QMessageBox *>(QApplication::activeModalWidget()));
            sawBox = true;
            focused->type(focused->fkey(2));
            focused->type(focused->fkey(3));
            settle();
            pageWhileOpen = pages()->currentIndex();
            qobject_cast<QMessageBox *>(QApplication::activeModalWidget())->accept();
        });
        child<QPushButton>(w.form1, "Button1")->click();
        QVERIFY(sawBox);
        QCOMPARE(pageWhileOpen, 0);
        focused->type(focused->fkey(1));
        QTRY_COMPARE(shown.size(), 3);
        settle(); // nothing more comes
        QList<int> order;
        for (const QList<QVariant> &args : shown)
            order << args.at(0).toInt();
        QCOMPARE(order, (QList<int>{1, 2, 0}));
        QCOMPARE(focused->keyPresses(), QList<int>());
        child<QLineEdit>(w.form1, "Edit1")->setText(QStringLiteral("0"));
    }

    // Delete and Backspace edit the converter's amount as usual, as typed on
    // the keyboard; a letter typed there is discarded.
    void amountEditingKeys()
    {
        ModalWatcher boxes; // the converter's probe finds no bank here
        pages()->setCurrentIndex(3);
        xcb_set_input_focus(focused->c, XCB_INPUT_FOCUS_POINTER_ROOT, xcb_window_t(w.form1->winId()),
                            XCB_CURRENT_TIME);
        focused->sync();
        QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget *>(w.form1));
        auto *edit = child<QLineEdit>(w.form1, "Edit10");
        edit->setFocus();
        edit->setText(QStringLiteral("123"));
        edit->setCursorPosition(1);
        focused->type(focused->keycode(0xffff)); // Delete
        QTRY_COMPARE(edit->text(), QStringLiteral("13"));
        focused->type(focused->keycode(0xff08)); // BackSpace
        QTRY_COMPARE(edit->text(), QStringLiteral("3"));
        focused->type(focused->keycode('a'));
        focused->type(focused->keycode('7'));
        QTRY_COMPARE(edit->text(), QStringLiteral("73"));
        pages()->setCurrentIndex(0);
    }

    // F5 stays with the client that held it before the start; the other keys work.
    void keyHeldByAnotherClient()
    {
        ModalWatcher boxes;
        pages()->setCurrentIndex(0);

        focused->type(focused->fkey(5));
        settle();
        QCOMPARE(pages()->currentIndex(), 0);
        QCOMPARE(holder->keyPresses(), QList<int>{holder->fkey(5)});
        QCOMPARE(focused->keyPresses(), QList<int>());
        QCOMPARE(boxes.texts(), QStringList());

        for (int key : {2, 3, 4, 1}) {
            focused->type(focused->fkey(key));
            QTRY_COMPARE(pages()->currentIndex(), key - 1);
        }
        QCOMPARE(focused->keyPresses(), QList<int>());
    }

    // Registering reports a held key; the keys are released with their owner.
    void registrationAndRelease()
    {
        QWidget owner;
        QList<int> received;
        {
            orvel::HotKeys keys(&owner, [&](int id) { received << id; });
            QVERIFY(keys.systemWide());
            QVERIFY(!keys.registerKey(50, 5)); // held by the other client
            QVERIFY(keys.registerKey(70, 7));
            focused->type(focused->fkey(7));
            QTRY_COMPARE(received, QList<int>{70});
            QCOMPARE(focused->keyPresses(), QList<int>());
        }
        focused->type(focused->fkey(7));
        settle();
        QCOMPARE(received, QList<int>{70});
        QCOMPARE(focused->keyPresses(), QList<int>{focused->fkey(7)});

        // The main window's keys go with it at the end of the run.
        orvel::destroyOrvelWindows(w);
        settle();
        focused->type(focused->fkey(3));
        QCOMPARE(focused->keyPresses(), QList<int>{focused->fkey(3)});
    }
};

int main(int argc, char *argv[])
{
    Xvfb xvfb;
    server = &xvfb;
    if (!xvfb.display.empty()) {
        qputenv("DISPLAY", QByteArray::fromStdString(xvfb.display));
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
    int rc = 0;
    {
        QApplication app(argc, argv);
        TestHotKeysX11 test;
        rc = QTest::qExec(&test, argc, argv);
    }
    xvfb.stop();
    return rc;
}

#include "test_hotkeys_x11.moc"
