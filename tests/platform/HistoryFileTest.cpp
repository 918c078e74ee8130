// The history file: two processes appending at once, the limits keeping the
// newest lines, a line torn by a crash, a write that fails, and lines that
// are not records.
#include <gtest/gtest.h>

#include <fstream>
#include <set>
#include <sstream>

#include <sys/wait.h>
#include <unistd.h>

#include <QJsonDocument>

#include "platform/HistoryFile.h"
#include "platform/Paths.h"

namespace fs = std::filesystem;

namespace {

QJsonObject recordOf(int n, int who = 0) { return QJsonObject{{"v", 1}, {"n", n}, {"who", who}}; }

std::string contents(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeRaw(const fs::path& file, const std::string& text)
{
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary | std::ios::trunc) << text;
}

std::vector<int> numbers(const HistoryFile::Reading& reading)
{
    std::vector<int> n;
    for (const QJsonObject& record : reading.records)
        n.push_back(record["n"].toInt());
    return n;
}

class HistoryFileTest : public ::testing::Test {
protected:
    void SetUp() override { fs::remove_all(file.parent_path()); }
    const fs::path file = HistoryFile::defaultPath();
};

} // namespace

TEST_F(HistoryFileTest, LivesBesideTheRuntimeLogAndReadsEmptyWhenMissing)
{
    EXPECT_EQ(file, Paths::stateHome() / "Quillmoor/history.jsonl");
    const HistoryFile::Reading reading = HistoryFile::read(10);
    EXPECT_TRUE(reading.records.empty());
    EXPECT_EQ(reading.skipped, 0);
}

TEST_F(HistoryFileTest, TwoProcessesAppendingAtOnceLoseAndMixNothing)
{
    constexpr int kEach = 200;
    pid_t children[2];
    for (int who = 0; who < 2; ++who) {
        children[who] = fork();
        ASSERT_GE(children[who], 0);
        if (children[who] == 0) {
            bool ok = true;
            for (int n = 0; n < kEach; ++n)
                ok = HistoryFile::append(recordOf(n, who), file) && ok;
            _exit(ok ? 0 : 1);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    std::set<std::pair<int, int>> seen;
    std::istringstream lines(contents(file));
    for (std::string line; std::getline(lines, line);) {
        const QJsonObject record = QJsonDocument::fromJson(QByteArray::fromStdString(line)).object();
        ASSERT_FALSE(record.isEmpty()) << line;
        seen.insert({record["who"].toInt(), record["n"].toInt()});
    }
    EXPECT_EQ(seen.size(), 2u * kEach);
    EXPECT_EQ(HistoryFile::read(1000).records.size(), 2u * kEach);
}

TEST_F(HistoryFileTest, TheLimitsKeepTheNewestWholeLines)
{
    struct Case {
        HistoryFile::Limits limits;
        int appended;
    };
    // a record is 22 bytes with its newline: 300 bytes hold 13 of them
    for (const Case& c : {Case{{5, 1 << 20}, 8}, Case{{1000, 300}, 40}}) {
        fs::remove(file);
        for (int n = 0; n < c.appended; ++n)
            ASSERT_TRUE(HistoryFile::append(recordOf(n), file, c.limits));
        EXPECT_LE(std::int64_t(fs::file_size(file)), c.limits.bytes);
        const HistoryFile::Reading reading = HistoryFile::read(1000, file, c.limits);
        EXPECT_EQ(reading.skipped, 0);
        const std::vector<int> kept = numbers(reading);
        ASSERT_FALSE(kept.empty());
        EXPECT_LE(int(kept.size()), c.limits.records);
        for (std::size_t i = 0; i < kept.size(); ++i)
            EXPECT_EQ(kept[i], c.appended - 1 - int(i));  // newest first, none missing in between
        if (c.limits.records == 5) {
            EXPECT_EQ(kept.size(), 5u);
        }
    }
    // a record longer than the byte limit is never written
    EXPECT_FALSE(HistoryFile::append(QJsonObject{{"v", 1}, {"pad", QString(400, 'x')}}, file, {1000, 300}));
}

TEST_F(HistoryFileTest, ALineTornByACrashIsSkippedAndTheNextRecordStartsALine)
{
    writeRaw(file, R"({"v":1,"n":1})" "\n" R"({"v":1,"n")");
    HistoryFile::Reading reading = HistoryFile::read(10);
    EXPECT_EQ(numbers(reading), std::vector<int>{1});
    EXPECT_EQ(reading.skipped, 1);

    ASSERT_TRUE(HistoryFile::append(recordOf(2), file));
    reading = HistoryFile::read(10);
    EXPECT_EQ(numbers(reading), (std::vector<int>{2, 1}));
    EXPECT_EQ(reading.skipped, 1);
}

TEST_F(HistoryFileTest, AFailedWriteLeavesTheFileAsItWas)
{
    for (int n = 0; n < 3; ++n)
        ASSERT_TRUE(HistoryFile::append(recordOf(n), file));
    const std::string before = contents(file);
    // the disk fills up halfway through the line: part of it is written, then the write fails
    const auto halfThenFull = [](int fd, const void* data, std::size_t size) -> ssize_t {
        return ::write(fd, data, size / 2);
    };
    EXPECT_FALSE(HistoryFile::append(recordOf(3), file, {}, halfThenFull));
    const auto nothing = [](int, const void*, std::size_t) -> ssize_t {
        errno = ENOSPC;
        return -1;
    };
    EXPECT_FALSE(HistoryFile::append(recordOf(4), file, {}, nothing));
    EXPECT_EQ(contents(file), before);
    EXPECT_EQ(numbers(HistoryFile::read(10)), (std::vector<int>{2, 1, 0}));
}

TEST_F(HistoryFileTest, LinesThatAreNotRecordsAreSkippedAndCounted)
{
    writeRaw(file, R"({"v":1,"n":1})" "\n"
                   "garbage\n"
                   "[1,2]\n"
                   R"({"v":2,"n":9})" "\n"
                   R"({"n":8})" "\n"
                   "\n"
                   R"({"v":1,"n":2})" "\n");
    HistoryFile::Reading reading = HistoryFile::read(10);
    EXPECT_EQ(numbers(reading), (std::vector<int>{2, 1}));
    EXPECT_EQ(reading.skipped, 4);
    // at most the newest asked for
    EXPECT_EQ(numbers(HistoryFile::read(1)), std::vector<int>{2});

    // a file larger than the limit is read from its end: a line longer than that is skipped
    writeRaw(file, std::string(5000, 'x') + "\n" + R"({"v":1,"n":3})" "\n");
    reading = HistoryFile::read(10, file, {1000, 100});
    EXPECT_EQ(numbers(reading), std::vector<int>{3});
    EXPECT_EQ(reading.skipped, 1);
}
