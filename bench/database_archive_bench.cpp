// Archiving a 200 MB SQLite program database ("Archiwizuj": online backup into a
// private temporary file, then the ZIP with "informacje.txt"), against the sqlite3
// backup of the same database followed by `zip -6` of the copy, both measured in
// this run on the same file.
// Goal: the archive within 1.5x of the reference (reported as the counter
// "x_reference"). Without a `zip` program the reference is skipped.
#include "app/common/paths.h"
#include "dbsetup/database_archive.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <wx/filename.h>
#include <wx/init.h>
#include <wx/utils.h>

#include <chrono>
#include <cstdlib>
#include <random>
#include <string>

namespace {

wxString g_root;
wxString g_database;
wxString g_zip;  // the zip program, empty when there is none
int g_serial = 0;

constexpr long long kDatabaseBytes = 200LL * 1024 * 1024;

wxString NextFile(const char* extension) {
  return veldrix::JoinPath(g_root, wxString::Format("out%d.%s", ++g_serial, extension));
}

// Invoice-like rows: names, addresses and descriptions from small vocabularies, as
// a program database holds them, with numbers and dates that vary row by row.
bool FillDatabase(const wxString& path) {
  sqlite3* db = nullptr;
  if (sqlite3_open(path.utf8_str(), &db) != SQLITE_OK) return false;
  sqlite3_exec(db,
               "create table dokument(id integer primary key, numer text, kontrahent text, nip text, adres text, "
               "opis text, netto real, brutto real, data text);"
               "create index dokument_kontrahent on dokument(kontrahent);",
               nullptr, nullptr, nullptr);
  sqlite3_exec(db, "begin", nullptr, nullptr, nullptr);
  sqlite3_stmt* insert = nullptr;
  sqlite3_prepare_v2(db, "insert into dokument(numer,kontrahent,nip,adres,opis,netto,brutto,data) values(?,?,?,?,?,?,?,?)",
                     -1, &insert, nullptr);
  const char* names[] = {"Biuro Rachunkowe Nowak", "Hurtownia Zieleniak", "Zakład Stolarski Kowalski",
                         "Przedsiębiorstwo Handlowe Wiśniewski", "Apteka Pod Lipami", "Transport Krajowy Lewandowski"};
  const char* streets[] = {"ul. Długa", "ul. Marszałkowska", "al. Jerozolimskie", "ul. Piotrkowska", "ul. Floriańska"};
  const char* cities[] = {"Warszawa", "Łódź", "Kraków", "Poznań", "Gdańsk", "Wrocław"};
  const char* items[] = {"usługa księgowa za miesiąc", "materiały biurowe", "transport towaru", "naprawa maszyny",
                         "sprzedaż towarów handlowych", "najem lokalu użytkowego"};
  std::mt19937 random(20261208);
  long long row = 0;
  sqlite3_int64 pages = 0;
  do {
    for (int i = 0; i < 20000; ++i, ++row) {
      const std::string number = "FV/" + std::to_string(row % 9999 + 1) + "/" + std::to_string(2020 + row % 7);
      const std::string name = names[random() % 6];
      const std::string nip = std::to_string(1000000000LL + static_cast<long long>(random() % 8999999999LL));
      const std::string address = std::string(streets[random() % 5]) + " " + std::to_string(random() % 200 + 1) +
                                  ", " + std::to_string(random() % 90 + 10) + "-" + std::to_string(random() % 900 + 100) +
                                  " " + cities[random() % 6];
      std::string description;
      for (int part = 0; part < 3; ++part) description += std::string(items[random() % 6]) + "; ";
      const double net = static_cast<double>(random() % 10000000) / 100.0;
      const std::string date = "20" + std::to_string(20 + random() % 7) + "-0" + std::to_string(random() % 9 + 1) +
                               "-1" + std::to_string(random() % 9);
      sqlite3_bind_text(insert, 1, number.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_text(insert, 2, name.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_text(insert, 3, nip.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_text(insert, 4, address.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_text(insert, 5, description.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_double(insert, 6, net);
      sqlite3_bind_double(insert, 7, net * 1.23);
      sqlite3_bind_text(insert, 8, date.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_step(insert);
      sqlite3_reset(insert);
    }
    sqlite3_stmt* count = nullptr;
    sqlite3_prepare_v2(db, "pragma page_count", -1, &count, nullptr);
    if (sqlite3_step(count) == SQLITE_ROW) pages = sqlite3_column_int64(count, 0);
    sqlite3_finalize(count);
  } while (pages * 4096 < kDatabaseBytes);
  sqlite3_finalize(insert);
  const bool ok = sqlite3_exec(db, "commit", nullptr, nullptr, nullptr) == SQLITE_OK;
  sqlite3_close(db);
  return ok;
}

double Seconds(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double ArchiveOnce() {
  const wxString archive = NextFile("zip");
  const auto start = std::chrono::steady_clock::now();
  wxString error;
  if (!BackupSqliteToTemp(g_database, archive, "informacje", &error)) std::abort();
  const double seconds = Seconds(start);
  wxRemoveFile(archive);
  return seconds;
}

// The sqlite3 backup of the whole database in one step, then zip -6 of the copy.
double ReferenceOnce() {
  const wxString copy = NextFile("db");
  const wxString archive = NextFile("zip");
  const auto start = std::chrono::steady_clock::now();
  sqlite3* source = nullptr;
  sqlite3* target = nullptr;
  sqlite3_open_v2(g_database.utf8_str(), &source, SQLITE_OPEN_READONLY, nullptr);
  sqlite3_open(copy.utf8_str(), &target);
  sqlite3_backup* backup = sqlite3_backup_init(target, "main", source, "main");
  if (!backup || sqlite3_backup_step(backup, -1) != SQLITE_DONE) std::abort();
  sqlite3_backup_finish(backup);
  sqlite3_close(target);
  sqlite3_close(source);
  const std::string command = "'" + g_zip.utf8_string() + "' -6 -q -j '" + archive.utf8_string() + "' '" +
                              copy.utf8_string() + "'";
  if (std::system(command.c_str()) != 0) std::abort();
  const double seconds = Seconds(start);
  wxRemoveFile(copy);
  wxRemoveFile(archive);
  return seconds;
}

void Reference(benchmark::State& state) {
  if (g_zip.empty()) {
    state.SkipWithError("no zip program");
    return;
  }
  for (auto _ : state) state.SetIterationTime(ReferenceOnce());
  state.SetBytesProcessed(state.iterations() * kDatabaseBytes);
}

void Archive(benchmark::State& state) {
  double archive = 0;
  double reference = 0;
  for (auto _ : state) {
    const double seconds = ArchiveOnce();
    state.SetIterationTime(seconds);
    archive += seconds;
    // Interleaved, so both meet the same page cache and machine load.
    if (!g_zip.empty()) reference += ReferenceOnce();
  }
  state.SetBytesProcessed(state.iterations() * kDatabaseBytes);
  if (reference > 0) state.counters["x_reference"] = archive / reference;
}

}  // namespace

BENCHMARK(Reference)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);
BENCHMARK(Archive)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

int main(int argc, char** argv) {
  wxInitializer initializer;
  char pattern[] = "/tmp/veldrix-archive-bench-XXXXXX";
  if (!mkdtemp(pattern)) return 1;
  g_root = pattern;
  g_database = veldrix::JoinPath(g_root, "firma.db");
  if (!FillDatabase(g_database)) return 1;
  wxString path;
  wxGetEnv("PATH", &path);
  for (const wxString& folder : wxSplit(path, ':')) {
    const wxString candidate = veldrix::JoinPath(folder, "zip");
    if (!folder.empty() && wxFileName::IsFileExecutable(candidate)) {
      g_zip = candidate;
      break;
    }
  }

  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  wxFileName::Rmdir(g_root, wxPATH_RMDIR_RECURSIVE);
  return 0;
}
