// bench_punchwell: every speed path of the station next to the best bare SQLite program for
// the same job (the same SQL, pragmas, caches and file writes) on the same files, in one run,
// on the cached benchmark clubs. The station side runs what the person's press runs. Prints
// one line "ratio NAME X.XX" per path (median over median, on the largest club) with its
// growth from the 100k club to the 1M club, then start-up (from main() to the first painted
// window, beside a bare Qt window's) and memory. With PW_TEST_DATABASE (make bench starts a
// private server), the paths a server serves run there too, beside a bare libpq program on one
// connection: "ratio_pg NAME X.XX" and "pg_ms NAME".
//
//   bench_punchwell                 both clubs (QUICK=1 in the environment: the 100k club)
//   bench_punchwell --once NAME SIDE ROWS [TIMES]   one warm run of one side (station,
//                       sqlite, or on the server station_pg, libpq), e.g. under callgrind; with
//                       TIMES, that many in a row, e.g. under perf record
#include "baseline.h"
#include "club.h"
#include "firstpaint.h"
#include "pgbaseline.h"
#include "platform/doubles.h"

#include "config/purge.h"
#include "copyto.h"
#include "exchange/exchange.h"
#include "platform/files.h"
#include "punch/forgotten.h"
#include "punch/shift.h"
#include "reports/punchreports.h"
#include "reports/reportengine.h"
#include "reports/workdb.h"
#include "station/db.h"
#include "station/settings.h"
#include "station/station.h"
#include "window/identify.h"
#include "window/punchin.h"
#include "window/punchout.h"
#include "window/tclock.h"

#include <QApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QUrl>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <ctime>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace bench;

const QString kToday = QStringLiteral("2026-07-01 16:00:00");

// One club with a station on it: the test doubles stand in for boxes, clock and printers.
struct Ctx {
    Club club;
    pw::test::ScriptedDialogs dialogs;
    pw::test::TestClock clock;
    pw::test::RecordingPrinters printers;
    pw::test::RecordingPrograms programs;
    pw::DiskFiles files;
    pw::Station st;
    pw::Tclock win;
    // The station's window on an 800x600 screen with its report list up, as a manager sees a
    // report; the presses of the other paths use win, which is never painted.
    pw::Tclock screen;
    bare::Paths paths;
    int job = 0;
    // On a server: the bare program's one connection to it.
    std::unique_ptr<pgbare::Server> server;

    // With server_url, the club's shared databases are those the server holds.
    explicit Ctx(Club c, const QString& server_url = {})
        : club(std::move(c))
        , programs(club.station)
        , st(pw::Platform{dialogs, clock, printers, programs, files}, club.station) {
        clock.set(kToday);
        pw::initnode(st);
        pw::checksuite(st);
        pw::loadsettings(st);
        if (!server_url.isEmpty()) {
            st.settings.database = server_url;
            server = std::make_unique<pgbare::Server>(server_url);
        }
        paths = {club.data + "PUNCHCLK.MDB", club.data + "EMP.MDB", club.data + "HBPOSTMP.MDB",
                 pw::work_db_path(st), club.station + "rpt00.sys"};
        screen.resize(800, 600);
        screen.lstpayrate->show();
        screen.show();
        QCoreApplication::processEvents(); // its first paint, before any run
        pw::Db emp(st.path(st.settings.empdb), pw::DbMode::ReadOnly, st.db_access());
        job = pw::employee_jobs(emp, kEmployee).value(0).jobcode;
    }

    // The query a manager report builds from the answers typed into its prompts.
    pw::ReportQuery query(int index, const QStringList& answers) {
        dialogs.answers = answers;
        return pw::manager_query(st, index).value();
    }
    // The press on a report's button after its prompts: the list emptied, the report read,
    // the work database made, and every paint it leaves pending done.
    void report(int index, const pw::ReportQuery& q) {
        dialogs.clear();
        screen.lstpayrate->clear();
        pw::make_report_database(st);
        pw::run_report(st, *screen.lstpayrate, index, q);
        QCoreApplication::processEvents();
    }
    // One statement on the punch database, wherever it is, for the untimed set-up of a case.
    void punches(const QString& sql, const QVariantList& binds) {
        pw::Db db(st.path(st.settings.punchdb), pw::DbMode::ReadWrite, st.db_access());
        db.run(sql, binds);
    }
    // The screen as the person leaves it before typing a number and a password.
    void typed(int employee) {
        pw::clearscreen(st, win);
        win.txtempid->setText(QString::number(employee));
        st.who.entry_mode = 1;
        win.txtpassword->setText(QString::number(password_of(employee)));
        dialogs.clear();
    }
    void identified() {
        st.who.number = kEmployee;
        st.who.job_code = job;
        st.who.pay_rate = 10.5;
        st.who.job_description = QStringLiteral("Job");
        dialogs.clear();
    }
    // The clock and rules the hours so far of Who's Punched In are reckoned by.
    bare::SoFar so_far() const {
        return {clock.now().toSecsSinceEpoch(), st.settings.outrounding, st.settings.shiftlimit,
                pw::forgotten_after_hours(st.settings)};
    }
    pw::ExportRange export_range() const {
        return {club.unexported_day, club.last_day, QStringLiteral("00:00:00"),
                QStringLiteral("24:00:00")};
    }
};

// A path: an untimed set-up before each run, then the station's and the bare program's run.
struct Case {
    const char* name;
    int repetitions;
    std::function<void(Ctx&)> setup;
    std::function<void(Ctx&)> station;
    std::function<void(Ctx&)> bare;
    std::function<void(Ctx&)> bare_server = nullptr; // the bare libpq side, on a server
};

// A press takes a millisecond or two: more runs cost little and steady its median, which over
// nine runs moved by a fifth from one whole run to the next.
constexpr int kPressRuns = 45;

// The week and the year before the last day of the club.
QStringList week(const Ctx& c) {
    const QDate last = QDate::fromString(QString::number(c.club.last_day), "yyyyMMdd");
    return {last.addDays(-9).toString("yyyyMMdd"), last.addDays(-3).toString("yyyyMMdd"), "1",
            QString::number(kEmployees)};
}
QStringList year(const Ctx& c) {
    const QDate last = QDate::fromString(QString::number(c.club.last_day), "yyyyMMdd");
    return {last.addDays(-364).toString("yyyyMMdd"), last.toString("yyyyMMdd"), "1",
            QString::number(kEmployees)};
}

void no_setup(Ctx&) {}

void no_open_punch(Ctx& c) {
    c.punches("delete from punch where tckempid = ? and tckstatus = 1", {kEmployee});
}

void reopen_for_punch_out(Ctx& c) {
    no_open_punch(c);
    c.punches("insert into punch (tckindate, tckempid, tckjobcode, tckjobdescription, "
              "tckpayrate, tcktimein, tckadjtimein, tckstatus) values (?, ?, ?, 'Job', 10.5, "
              "'08:00:00', '08:00:00', 1)",
              {c.club.last_day + 1, kEmployee, c.job});
}

const std::vector<Case>& cases() {
    static const std::vector<Case> all = {
        {"identify", kPressRuns, [](Ctx& c) { c.typed(kEmployee); },
         [](Ctx& c) { pw::identify(c.st, c.win); },
         [](Ctx& c) { bare::identify(c.paths, kEmployee); },
         [](Ctx& c) { pgbare::identify(*c.server, kEmployee); }},
        {"punch_in", kPressRuns, no_open_punch,
         [](Ctx& c) {
             c.identified();
             pw::punch_in(c.st, c.win);
         },
         [](Ctx& c) { bare::punch_in(c.paths, kEmployee, c.job, c.club.last_day + 1, "16:00:00"); },
         [](Ctx& c) {
             pgbare::punch_in(*c.server, kEmployee, c.job, c.club.last_day + 1, "16:00:00");
         }},
        {"punch_out", kPressRuns, reopen_for_punch_out,
         [](Ctx& c) {
             c.identified();
             pw::punch_out(c.st, c.win);
         },
         [](Ctx& c) {
             bare::punch_out(c.paths, kEmployee, c.job, c.club.last_day - 5, c.club.last_day + 1);
         },
         [](Ctx& c) {
             pgbare::punch_out(*c.server, kEmployee, c.job, c.club.last_day - 5,
                               c.club.last_day + 1);
         }},
        {"whos_in", 25, no_setup,
         [](Ctx& c) { c.report(pw::kWhosPunchedIn, c.query(pw::kWhosPunchedIn, {})); },
         [](Ctx& c) {
             const pw::ReportQuery q = c.query(pw::kWhosPunchedIn, {});
             bare::report(c.paths, q.sql, q.binds, c.so_far());
         },
         [](Ctx& c) {
             const pw::ReportQuery q = c.query(pw::kWhosPunchedIn, {});
             pgbare::report(*c.server, c.paths, q.sql, q.binds, c.so_far());
         }},
        {"report_week", 5, no_setup,
         [](Ctx& c) { c.report(pw::kRangeOfEmployees, c.query(pw::kRangeOfEmployees, week(c))); },
         [](Ctx& c) {
             const pw::ReportQuery q = c.query(pw::kRangeOfEmployees, week(c));
             bare::report(c.paths, q.sql, q.binds);
         },
         [](Ctx& c) {
             const pw::ReportQuery q = c.query(pw::kRangeOfEmployees, week(c));
             pgbare::report(*c.server, c.paths, q.sql, q.binds);
         }},
        {"report_year", 3, no_setup,
         [](Ctx& c) { c.report(pw::kRangeOfEmployees, c.query(pw::kRangeOfEmployees, year(c))); },
         [](Ctx& c) {
             const pw::ReportQuery q = c.query(pw::kRangeOfEmployees, year(c));
             bare::report(c.paths, q.sql, q.binds);
         }},
        {"export_100k", 3, [](Ctx& c) { restore_punches(c.club); },
         [](Ctx& c) {
             pw::write_export(c.st, c.paths.punch, c.export_range(), false,
                              c.club.root + "/export.csv", true);
         },
         [](Ctx& c) {
             const pw::ExportRange r = c.export_range();
             bare::export_rows(c.paths,
                               "(tckindate >= ? and tckadjtimein >= ?) and (tckindate <= ? and "
                               "tckadjtimein <= ?) and tckstatus in ",
                               {r.from_date, r.from_time, r.to_date, r.to_time},
                               "update punch set tckstatus = 5, tckexport = "
                               "coalesce(tckexport, 0) + 1",
                               c.club.root + "/export.csv");
         }},
        {"import_100k", 3, [](Ctx& c) { restore_punches(c.club); },
         [](Ctx& c) {
             QFile f(c.club.import);
             f.open(QIODevice::ReadOnly);
             pw::import_records(c.st, c.paths.punch, f.readAll());
         },
         [](Ctx& c) { bare::import_rows(c.paths, c.club.import); }},
        {"purge_500k", 3, [](Ctx& c) { restore_punches(c.club); },
         [](Ctx& c) {
             c.st.ranges.from_date = c.club.first_day;
             c.st.ranges.to_date = c.club.half_day;
             c.dialogs.clear();
             pw::archivepurge(c.st);
         },
         [](Ctx& c) { bare::purge(c.paths, c.club.first_day, c.club.half_day); }},
    };
    return all;
}

// One side of a case, on its own so that callgrind can count only it
// (--collect-atstart=no --toggle-collect='*measured*').
[[gnu::noinline]] void measured(const std::function<void(Ctx&)>& run, Ctx& c) {
    run(c);
}

// Where the clubs are kept: BENCH_DATA in the environment, else beside the build.
QString bench_data() {
    return qEnvironmentVariable("BENCH_DATA", QStringLiteral(BENCH_DATA));
}

QString size_name(int rows) {
    return rows >= 1000000 ? QStringLiteral("1M") : QString::number(rows / 1000) + "k";
}

// Keeps every run by its path, side and club ("identify/station/1M"; the repetition's
// "/rN" left off) and gives the medians: wall-clock and this thread's CPU time.
class Medians : public benchmark::ConsoleReporter {
public:
    // Without colours: their last reset code would stand before the first ratio line.
    Medians()
        : ConsoleReporter(OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& r : runs) {
            std::string name = r.run_name.function_name;
            name.erase(name.rfind('/'));
            ms_[name].push_back(r.GetAdjustedRealTime());
            cpu_ms_[name].push_back(r.counters.at("cpu_ms"));
        }
    }
    double ms(const std::string& name) { return median(ms_[name]); }
    double cpu_ms(const std::string& name) { return median(cpu_ms_[name]); }

private:
    static double median(std::vector<double> v) {
        if (v.empty())
            return 0;
        std::sort(v.begin(), v.end());
        const size_t n = v.size();
        return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    }
    std::map<std::string, std::vector<double>> ms_, cpu_ms_;
};

// One repetition of one side: a benchmark of its own, so that the two sides of a case take
// turns and a slow spell of the machine falls on both.
void register_run(const Case& k, Ctx& c, const char* side, int repetition) {
    const bool station = std::string(side).starts_with("station");
    const auto& bare_side = c.server ? k.bare_server : k.bare;
    const std::string name = std::string(k.name) + "/" + side + "/" +
                             size_name(c.club.rows).toStdString() + "/r" +
                             std::to_string(repetition);
    benchmark::RegisterBenchmark(name.c_str(),
                                 [&k, &c, station, &bare_side](benchmark::State& state) {
                                     double cpu = 0;
                                     for (auto _ : state) {
                                         k.setup(c);
                                         const double t0 = now_ms(CLOCK_MONOTONIC);
                                         const double c0 = now_ms(CLOCK_THREAD_CPUTIME_ID);
                                         measured(station ? k.station : bare_side, c);
                                         cpu += now_ms(CLOCK_THREAD_CPUTIME_ID) - c0;
                                         state.SetIterationTime((now_ms(CLOCK_MONOTONIC) - t0) /
                                                                1000);
                                     }
                                     state.counters["cpu_ms"] = cpu;
                                 })
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->Iterations(1);
}

// Child: one year report on the club by the station or the bare program, then the peak
// resident memory and what it was before the report.
int child_year(int rows, bool station) {
    Ctx c(make_club(bench_data(), rows));
    const double before = memory_mb("VmHWM:");
    const pw::ReportQuery q = c.query(pw::kRangeOfEmployees, year(c));
    if (station)
        c.report(pw::kRangeOfEmployees, q);
    else
        bare::report(c.paths, q.sql, q.binds);
    std::printf("peak %.1f %.1f\n", memory_mb("VmHWM:"), before);
    return 0;
}

// Runs program, one of the benchmark's own beside this one ("" for this one), with args; gives
// what it printed and, with ready_ms, the wall-clock from its start to its "ready" line.
QByteArray run_child(const QString& program, const QStringList& args, double* ready_ms) {
    QProcess p;
    QElapsedTimer t;
    t.start();
    p.start(program.isEmpty() ? QCoreApplication::applicationFilePath()
                              : QDir(QCoreApplication::applicationDirPath()).filePath(program),
            args);
    QByteArray out;
    while (p.state() != QProcess::NotRunning || p.bytesAvailable()) {
        p.waitForReadyRead(100);
        out += p.readAllStandardOutput();
        if (ready_ms && *ready_ms < 0 && out.contains("ready "))
            *ready_ms = double(t.nsecsElapsed()) / 1e6;
    }
    return out;
}

QByteArray line_of(const QByteArray& out, const char* key) {
    for (const QByteArray& line : out.split('\n'))
        if (line.startsWith(key))
            return line;
    return QByteArray(key) + " ?";
}

} // namespace

// A fresh database "pwbench" of the server PW_TEST_DATABASE names, holding a copy of the
// club's shared databases; its address, empty when that failed.
QString server_copy(const Club& club) {
    const QString admin = qEnvironmentVariable("PW_TEST_DATABASE");
    QUrl url(admin);
    url.setPath(QStringLiteral("/pwbench"));
    pw::server_exec(admin, QStringLiteral("drop database if exists pwbench with (force)"));
    pw::server_exec(admin, QStringLiteral("create database pwbench"));
    if (!suite::copy_to_server(club.root, url.toString()))
        return {};
    // The server's statistics of the fresh copy, made now rather than by the server's own
    // analysis at some moment of the run, which may change its plans half-way.
    pw::server_exec(url.toString(), QStringLiteral("analyze"));
    return url.toString();
}

int main(int argc, char** argv) {
    offscreen_by_default();
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.value(1) == "--year")
        return child_year(args.value(2).toInt(), args.value(3) == "station");
    if (args.value(1) == "--once") {
        Club club = make_club(bench_data(), args.value(4).toInt());
        restore_punches(club);
        // station_pg and libpq: on a copy of the club on the server of PW_TEST_DATABASE.
        const bool on_server = args.value(3) == "station_pg" || args.value(3) == "libpq";
        const QString url = on_server ? server_copy(club) : QString();
        if (on_server && url.isEmpty())
            return 1;
        Ctx c(std::move(club), url);
        for (const Case& k : cases())
            if (args.value(2) == k.name) {
                const bool station = args.value(3).startsWith("station");
                const auto& side = station ? k.station : on_server ? k.bare_server : k.bare;
                // A first run warms what the benchmark's repetitions find warm.
                k.setup(c);
                side(c);
                for (int i = std::max(1, args.value(5).toInt()); i > 0; --i) {
                    k.setup(c);
                    measured(side, c);
                }
            }
        return 0;
    }

    const bool quick = qEnvironmentVariableIntValue("QUICK") != 0;
    std::vector<int> sizes{100000};
    if (!quick)
        sizes.push_back(1000000);
    std::vector<std::unique_ptr<Ctx>> ctxs;
    for (int rows : sizes) {
        std::printf("club of %d punches...\n", rows);
        std::fflush(stdout);
        ctxs.push_back(std::make_unique<Ctx>(make_club(bench_data(), rows)));
        restore_punches(ctxs.back()->club);
    }
    for (const Case& k : cases())
        for (auto& c : ctxs)
            for (int i = 1; i <= k.repetitions; ++i)
                for (const char* side : {"station", "sqlite"})
                    register_run(k, *c, side, i);

    // The server: the small club copied into a fresh database of the private server that
    // tools/pgtest.sh started, the station and a bare libpq program on it.
    std::unique_ptr<Ctx> pg;
    const QString admin = qEnvironmentVariable("PW_TEST_DATABASE");
    if (!admin.isEmpty()) {
        std::printf("the club of %d punches on the server...\n", sizes.front());
        std::fflush(stdout);
        const QString url = server_copy(ctxs.front()->club);
        if (url.isEmpty())
            return 1;
        pg = std::make_unique<Ctx>(ctxs.front()->club, url);
        for (const Case& k : cases())
            if (k.bare_server)
                for (int i = 1; i <= k.repetitions; ++i)
                    for (const char* side : {"station_pg", "libpq"})
                        register_run(k, *pg, side, i);
    }

    benchmark::Initialize(&argc, argv);
    Medians medians;
    benchmark::RunSpecifiedBenchmarks(&medians);

    const std::string big = size_name(sizes.back()).toStdString();
    for (const Case& k : cases()) {
        auto at = [&](const char* side, const std::string& size) {
            return medians.ms(std::string(k.name) + "/" + side + "/" + size);
        };
        auto cpu = [&](const char* side, const std::string& size) {
            return medians.cpu_ms(std::string(k.name) + "/" + side + "/" + size);
        };
        const double station = at("station", big), bare = at("sqlite", big);
        std::printf("ratio %s %.2f", k.name, bare > 0 ? station / bare : 0.0);
        if (sizes.size() > 1)
            std::printf("  growth %.2f", station / at("station", "100k"));
        // CPU time tells more than wall-clock on a machine others share.
        std::printf("  (%s: station %.2f ms, sqlite %.2f ms; cpu ratio %.2f", big.c_str(), station,
                    bare, cpu("station", big) / cpu("sqlite", big));
        if (sizes.size() > 1)
            std::printf(", cpu growth %.2f", cpu("station", big) / cpu("station", "100k"));
        std::printf(")\n");
    }
    if (pg) {
        const std::string small = size_name(sizes.front()).toStdString();
        for (const Case& k : cases()) {
            if (!k.bare_server)
                continue;
            const double station = medians.ms(std::string(k.name) + "/station_pg/" + small);
            const double bare = medians.ms(std::string(k.name) + "/libpq/" + small);
            std::printf("ratio_pg %s %.2f  (%s: station %.2f ms, libpq %.2f ms)\n", k.name,
                        bare > 0 ? station / bare : 0.0, small.c_str(), station, bare);
            std::printf("pg_ms %s %.2f\n", k.name, station);
        }
        pg.reset();
    }
    for (auto& c : ctxs)
        restore_punches(c->club);

    // Start-up: from the start of main() to the first paint of the window, wall-clock and
    // CPU, as each program reports it, median of fifteen starts; beside it the same for an
    // empty window of the toolkit with a line of text, the floor no station can go under. The
    // two start in turn, so that a busy spell of the machine falls on both. Each is a program
    // of its own that loads only what it is built from: the station's libraries, or the
    // toolkit's widgets. Seen from outside, from the process's start to its "ready", loading
    // the program included, it is printed apart.
    constexpr int kStarts = 15;
    struct Starts {
        std::vector<double> wall, cpu, process;
        void add(const QString& program, const QStringList& args) {
            double ready = -1;
            const QList<QByteArray> f =
                line_of(run_child(program, args, &ready), "ready").split(' ');
            wall.push_back(f.value(1).toDouble());
            cpu.push_back(f.value(2).toDouble());
            process.push_back(ready);
        }
        static double median(std::vector<double> v) {
            std::sort(v.begin(), v.end());
            return v[v.size() / 2];
        }
    } station_starts, floor_starts;
    const QString station_folder = ctxs.back()->club.station;
    for (int i = 0; i < kStarts; ++i) {
        station_starts.add(QStringLiteral("bench_startup"), {station_folder});
        floor_starts.add(QStringLiteral("bench_floor"), {});
    }
    const double ready = Starts::median(station_starts.wall);
    const double floor_ms = Starts::median(floor_starts.wall);
    std::printf(
        "startup_ms %.1f  (from main(); cpu %.1f ms; toolkit floor %.1f ms, cpu %.1f ms)\n"
        "ratio startup %.2f\n"
        "startup_process_ms %.0f  (toolkit floor %.0f; loading included)\n%s\n",
        ready, Starts::median(station_starts.cpu), floor_ms, Starts::median(floor_starts.cpu),
        floor_ms > 0 ? ready / floor_ms : 0.0, Starts::median(station_starts.process),
        Starts::median(floor_starts.process),
        line_of(run_child(QStringLiteral("bench_startup"), {station_folder, "idle"}, nullptr),
                "idle_rss_mb")
            .constData());
    // The year report's peak against the bare program's, each above the process before it.
    auto peak = [&](const char* side) {
        const QList<QByteArray> f =
            line_of(run_child({}, {"--year", QString::number(sizes.back()), side}, nullptr), "peak")
                .split(' ');
        return std::pair{f.value(1).toDouble(), f.value(1).toDouble() - f.value(2).toDouble()};
    };
    const auto [station_peak, station_above] = peak("station");
    const auto [bare_peak, bare_above] = peak("sqlite");
    std::printf("report_year_peak_mb %.1f  (%.1f above the club opened; bare sqlite %.1f, %.1f "
                "above)\n",
                station_peak, station_above, bare_peak, bare_above);
    return 0;
}
