#include "platform/instance.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>
#include <memory>
#include <sys/wait.h>
#include <unistd.h>

namespace pw {
namespace {

TEST(InstanceGuard, OneCopyAFolderUntilItEndsHoweverItEnds) {
    QTemporaryDir tmp;
    // A lock file an earlier copy left behind holds nothing.
    QFile left(tmp.filePath(".punchwell.lock"));
    ASSERT_TRUE(left.open(QIODevice::WriteOnly) && left.write("4242\npunchwell\n") > 0);
    left.close();

    auto first = std::make_unique<InstanceGuard>(tmp.path());
    ASSERT_TRUE(first->acquire());
    EXPECT_TRUE(first->acquire());
    // The holder named as older copies read it, so that they can tell a dead one's lock.
    ASSERT_TRUE(left.open(QIODevice::ReadOnly));
    EXPECT_EQ(left.readLine().trimmed().toLongLong(), QCoreApplication::applicationPid());
    left.close();
    auto second = std::make_unique<InstanceGuard>(tmp.path());
    EXPECT_FALSE(second->acquire());
    first.reset();
    EXPECT_TRUE(second->acquire());
    second.reset();
    EXPECT_FALSE(left.exists()); // a copy that closes leaves no lock file

    // A copy in another process, killed without a chance to tidy up.
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t child = fork();
    if (child == 0) {
        InstanceGuard held(tmp.path());
        const char answer = held.acquire() ? 'y' : 'n';
        if (write(ready[1], &answer, 1) != 1)
            _exit(1);
        pause();
        _exit(0);
    }
    char answer = 0;
    ASSERT_EQ(read(ready[0], &answer, 1), 1);
    ASSERT_EQ(answer, 'y');
    EXPECT_FALSE(InstanceGuard(tmp.path()).acquire());
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    EXPECT_TRUE(InstanceGuard(tmp.path()).acquire());
    close(ready[0]);
    close(ready[1]);
}

} // namespace
} // namespace pw
