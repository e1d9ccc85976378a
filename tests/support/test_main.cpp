// Programs that test windows build this with ZENTHRA_TEST_WIDGETS; those of the logic alone run
// without Qt Widgets.
#ifdef ZENTHRA_TEST_WIDGETS
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QGuiApplication>
using TestApplication = QGuiApplication;
#endif
#include <QLoggingCategory>
#include <QReadWriteLock>
#include <gtest/gtest.h>

namespace {

// Qt's read-write locks (the one over its list of database connections among them) take what
// they need under contention from one free list they share, whose first block Qt allocates at the
// first contention in the process and hands to the other threads through atomics of its own. Qt
// as Debian ships it is not built for the thread checker, which sees the block written by the
// thread that allocated it and its mutexes locked by another thread with nothing between: a race
// of Qt's own, reported wherever the store's thread and the window's both reach that list
// (a reconnect beside a close). One contention before any thread starts allocates the block, and
// every thread is then started after it, as the checker can see; the rest of the list's work is
// through those mutexes, which it sees too.
void allocateQtLockFreeList()
{
    QReadWriteLock lock;
    lock.lockForWrite();
    if (lock.tryLockForRead(1)) {
        lock.unlock();
    }
    lock.unlock();
}

} // namespace

int main(int argc, char** argv)
{
    allocateQtLockFreeList();
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false\n*.info=false\n*.warning=false"));
    TestApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
