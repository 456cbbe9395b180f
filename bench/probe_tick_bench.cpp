// The probe's cost while it watches: the CPU time of one watch tick over 200
// tracked folders of 100 entries each, against a plain reference that lists
// the same folders with std::filesystem::directory_iterator, sorts and
// compares with the listing before. Prints the CPU time per tick, the share
// of one core at one tick a second, and the ratio ours / reference. The
// target is at most 10.7 ms of CPU per tick (1.1% of a core). The host's
// listing alone, with nothing compared, is printed as the floor of a tick
// that reads every folder.
//
// The watch skips folders whose stamps vouch for their snapshots, which
// they do only once their times are older than the trust window: the bench
// waits that long after building the folders, so that it times the steady
// state of a tree that is not being changed. It also times the watch over a
// host without stamps, which lists every folder at every tick (as on a file
// system that keeps no stamps, or while the folders are young).
//
// Usage: probe_tick_bench [folders] [entries per folder] [ticks]
//        (the folders are built below $TMPDIR and removed at the end)
#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_support.h"
#include "platform/forwarding_host.h"
#include "platform/host.h"
#include "platform/text.h"
#include "probe/watch.h"

namespace {

namespace fs = std::filesystem;

double CpuSeconds() {
  timespec now{};
  ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// CPU time spent in the kernel on the process's behalf.
double SystemSeconds() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_stime.tv_sec) + static_cast<double>(usage.ru_stime.tv_usec) * 1e-6;
}

// The Windows folder and folders-1 folders below it, ten to a parent, each
// filled with files up to `entries` entries. Answers the "vigilo.ini" lines.
std::vector<std::string> BuildFolders(const std::string& root, std::size_t folders, std::size_t entries) {
  zv::bench::NameMaker names(7);
  std::vector<std::string> relative = {""};
  std::vector<std::size_t> children(folders, 0);
  for (std::size_t i = 1; i < folders; ++i) {
    const std::size_t parent = (i - 1) / 10;
    const std::string name = names.Folder();
    relative.push_back(relative[parent].empty() ? name : relative[parent] + "\\" + name);
    std::string host = relative.back();
    std::replace(host.begin(), host.end(), '\\', '/');
    fs::create_directory(root + "/" + host);
    ++children[parent];
  }
  for (std::size_t i = 0; i < folders; ++i) {
    std::string host = relative[i];
    std::replace(host.begin(), host.end(), '\\', '/');
    const std::string folder = host.empty() ? root : root + "/" + host;
    for (std::size_t n = children[i]; n < entries; ++n) {
      const int fd = ::open((folder + "/" + names.File()).c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0644);
      if (fd < 0) throw std::runtime_error("cannot create a file in " + folder);
      ::close(fd);
    }
  }
  relative.erase(relative.begin());
  return relative;
}

// The reference: list, sort, compare with the listing before.
class ReferenceWatch {
 public:
  explicit ReferenceWatch(std::vector<std::string> folders)
      : folders_(std::move(folders)), snapshots_(folders_.size()) {}

  bool Tick() {
    bool changed = false;
    std::vector<std::string> listing;
    for (std::size_t i = 0; i < folders_.size(); ++i) {
      listing = {"[.]", "[..]"};
      std::error_code ec;
      for (const auto& entry : fs::directory_iterator(folders_[i], ec)) {
        const std::string name = entry.path().filename().string();
        listing.push_back(entry.is_directory(ec) ? "[" + name + "]" : name);
      }
      std::sort(listing.begin(), listing.end());
      if (snapshots_[i].empty()) {
        snapshots_[i].swap(listing);
      } else if (listing != snapshots_[i]) {
        changed = true;
      }
    }
    return changed;
  }

 private:
  std::vector<std::string> folders_;
  std::vector<std::vector<std::string>> snapshots_;
};

// The floor: the host's listing of every folder, nothing compared.
class ListingOnly {
 public:
  ListingOnly(zv::Host& host, std::vector<std::string> folders) : host_(host), folders_(std::move(folders)) {}
  bool Tick() {
    for (const std::string& folder : folders_) host_.ListFolder(folder, &entries_);
    return false;
  }

 private:
  zv::Host& host_;
  std::vector<std::string> folders_;
  std::vector<zv::FolderEntry> entries_;
};

// The real host without folder stamps: the watch reads every folder.
class NoStampsHost : public zv::ForwardingHost {
 public:
  using ForwardingHost::ForwardingHost;
  bool ReadFolderStamp(const std::string&, zv::FolderStamp*) override { return false; }
};

struct Timing {
  double cpu_per_tick;
  double system_per_tick;
  double wall_per_tick;
};

template <typename Watcher>
Timing TimeTicks(Watcher& watch, std::size_t ticks) {
  if (watch.Tick()) throw std::runtime_error("the first tick must only take snapshots");
  const double cpu = CpuSeconds();
  const double system = SystemSeconds();
  const double wall = zv::bench::Now();
  for (std::size_t i = 0; i < ticks; ++i) {
    if (watch.Tick()) throw std::runtime_error("a tick saw a change in an unchanged tree");
  }
  const double n = static_cast<double>(ticks);
  return {(CpuSeconds() - cpu) / n, (SystemSeconds() - system) / n, (zv::bench::Now() - wall) / n};
}

}  // namespace

int main(int argc, char** argv) {
  const std::size_t folders = zv::bench::SizeArgument(argc, argv, 1, 200);
  const std::size_t entries = zv::bench::SizeArgument(argc, argv, 2, 100);
  const std::size_t ticks = zv::bench::SizeArgument(argc, argv, 3, 200);
  try {
    zv::bench::TempFolder windir("probe-tick");
    const std::vector<std::string> ini = BuildFolders(windir.path(), folders, entries);
    auto host = zv::NewPosixHost();
    NoStampsHost no_stamps(*host);
    const std::vector<std::string> tracked = zv::TrackedFolders(windir.path(), ini);
    std::vector<std::string> host_paths;
    for (const std::string& folder : tracked) host_paths.push_back(zv::ToHostPath(folder));

    zv::FolderStamp stamp;
    const bool stamps = host->ReadFolderStamp(windir.path(), &stamp);
    const auto window = std::chrono::nanoseconds(zv::Watch::kStampTrustedAfterNs) + std::chrono::milliseconds(500);
    std::printf("waiting %.1f s after building the folders, so that every folder is older than the watch's\n"
                "  %.0f s trust window and the timed ticks are those of an unchanged tree (folder stamps %s)\n",
                std::chrono::duration<double>(window).count(), zv::Watch::kStampTrustedAfterNs * 1e-9,
                stamps ? "available" : "NOT available on this file system: every folder is read");
    std::fflush(stdout);
    std::this_thread::sleep_for(window);

    // Interleaved rounds, so that all see the same cache and machine load.
    std::vector<double> ours_cpu, ours_system, ours_wall, reference_cpu, reference_system, reference_wall, floor_cpu;
    std::vector<double> full_cpu, full_system;
    for (int round = 0; round < 5; ++round) {
      zv::Watch watch(*host, tracked);
      const Timing ours = TimeTicks(watch, ticks / 5);
      zv::Watch reading_all(no_stamps, tracked);
      const Timing full = TimeTicks(reading_all, ticks / 5);
      full_cpu.push_back(full.cpu_per_tick);
      full_system.push_back(full.system_per_tick);
      ReferenceWatch reference(host_paths);
      const Timing plain = TimeTicks(reference, ticks / 5);
      ListingOnly listing(*host, host_paths);
      floor_cpu.push_back(TimeTicks(listing, ticks / 5).cpu_per_tick);
      ours_cpu.push_back(ours.cpu_per_tick);
      ours_system.push_back(ours.system_per_tick);
      ours_wall.push_back(ours.wall_per_tick);
      reference_cpu.push_back(plain.cpu_per_tick);
      reference_system.push_back(plain.system_per_tick);
      reference_wall.push_back(plain.wall_per_tick);
    }

    // The watch must still see a change in a folder it no longer reads, or
    // the timing means nothing.
    zv::Watch check(*host, tracked);
    check.Tick();
    check.Tick();
    zv::bench::Shell("touch " + zv::bench::Quote(host_paths[folders / 2] + "/NEWFILE.DLL"));
    if (!check.Tick()) throw std::runtime_error("the watch missed a new file");

    const double ours = zv::bench::Median(ours_cpu);
    const double plain = zv::bench::Median(reference_cpu);
    std::printf("probe watch tick: %zu folders x %zu entries, %zu ticks\n", tracked.size(), entries, ticks);
    std::printf("  ours (unchanged tree) CPU %.3f ms/tick (kernel %.3f, wall %.3f), %.3f%% of one core at one tick a second\n",
                ours * 1e3, zv::bench::Median(ours_system) * 1e3, zv::bench::Median(ours_wall) * 1e3, ours * 100.0);
    std::printf("  ours, every folder read (a host without stamps) CPU %.3f ms/tick (kernel %.3f)\n",
                zv::bench::Median(full_cpu) * 1e3, zv::bench::Median(full_system) * 1e3);
    std::printf("  reference CPU %.3f ms/tick (kernel %.3f, wall %.3f), %.3f%% of one core\n", plain * 1e3,
                zv::bench::Median(reference_system) * 1e3, zv::bench::Median(reference_wall) * 1e3, plain * 100.0);
    std::printf("  host listing alone (the floor: the kernel's reading of the folders) CPU %.3f ms/tick\n",
                zv::bench::Median(floor_cpu) * 1e3);
    std::printf("  ratio ours / reference (CPU): %.2f\n", ours / plain);
    std::printf("  target: at most 10.7 ms CPU per tick (1.1%% of a core): %s\n", ours <= 0.0107 ? "met" : "MISSED");
    return ours <= 0.0107 ? 0 : 1;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "probe_tick_bench: %s\n", error.what());
    return 2;
  }
}
