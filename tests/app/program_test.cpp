#include <csignal>

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

// The program as a user starts it: its own process, its own environment.
namespace {

QProcessEnvironment CleanEnvironment(const QString& home) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* v :
         {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "KORAVEL_MARKET_URL",
          "KORAVEL_QUOTE_URL", "KORAVEL_CHART_URL", "KORAVEL_ROOT", "ODBCINI", "XDG_CONFIG_HOME"})
        env.remove(v);
    env.insert("HOME", home);
    env.insert("XDG_RUNTIME_DIR", home);
    return env;
}

struct Outcome {
    int exitCode = -1;
    QString out, err;
};

Outcome RunKoravel(const QStringList& args, const QProcessEnvironment& env, int timeoutMs = 60000) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(KORAVEL_BIN, args);
    Outcome r;
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        p.waitForFinished();
        return r;
    }
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

TEST(ProgramTest, WithoutADisplayItSaysSoInOneLine) {
    QTemporaryDir home;
    const Outcome r = RunKoravel({}, CleanEnvironment(home.path()));
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err.count('\n'), 1) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("--tour")) << r.err.toStdString();
}

TEST(ProgramTest, TourWritesItsPictures) {
    QTemporaryDir home;
    const QString dir = home.path() + "/tour";
    const Outcome r = RunKoravel({"--tour", dir}, CleanEnvironment(home.path()));
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    for (const char* name : {"bar", "menu", "about", "histchart"}) {
        QImage image(dir + "/" + name + ".png");
        EXPECT_FALSE(image.isNull()) << name;
        EXPECT_GT(image.width(), 50) << name;
    }
    EXPECT_TRUE(r.out.contains(dir + "/bar.png"));
    // The tour keeps to a data root of its own.
    EXPECT_FALSE(QDir(home.path() + "/Koravel").exists());
}

TEST(ProgramTest, OneBarPerUserAndACleanEndOnTerm) {
    QTemporaryDir home;
    QProcessEnvironment env = CleanEnvironment(home.path());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    QProcess setup; // as scripts/run does first
    setup.setProcessEnvironment(env);
    setup.start(KORAVEL_SETUP_BIN, {});
    ASSERT_TRUE(setup.waitForFinished(30000));
    ASSERT_EQ(setup.exitCode(), 0) << setup.readAllStandardError().toStdString();
    QProcess first;
    first.setProcessEnvironment(env);
    first.start(KORAVEL_BIN, {"--nosplash", "--clock", "2026-12-07 11:00:00"});
    ASSERT_TRUE(first.waitForStarted());
    QThread::msleep(1500);
    ASSERT_EQ(first.state(), QProcess::Running) << first.readAllStandardError().toStdString();

    const Outcome second = RunKoravel({"--nosplash"}, env, 30000);
    EXPECT_EQ(second.exitCode, 1);
    EXPECT_TRUE(second.err.contains("already running")) << second.err.toStdString();

    ::kill(static_cast<pid_t>(first.processId()), SIGTERM);
    ASSERT_TRUE(first.waitForFinished(20000));
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first.exitCode(), 0);
}

} // namespace
