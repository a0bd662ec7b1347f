// xm-compare: compares the game's XM player with openmpt123 on real modules.
//
//   xm-compare --ours PATH/vantomir-tool [--openmpt openmpt123] [--work DIR]
//              [--no-solo] MODULE...
//
// For each module both players render one pass at 44100 Hz (ours through
// `vantomir-tool render-xm`, openmpt123 with --render --dither 0), and the
// tool reports:
//   - pass length: ours against openmpt123's, which always appends 100 ms
//     after the song's end; they must agree within one row (at the module's
//     initial speed and tempo);
//   - onset F1: onsets are peaks of the spectral flux (log magnitudes, 1024-
//     point frames every 10 ms) above a local mean plus a threshold; an onset
//     of one render is matched by an onset of the other within 50 ms, or by a
//     flux peak there of at least half the threshold (so that a peak grazing
//     the threshold in one render only does not count twice); must be >= 0.98;
//   - the correlation of the 50 ms RMS envelopes of the mix (>= 0.85) and of
//     each channel soloed (>= 0.95). A channel is soloed by writing a copy of
//     the module whose other channels keep only their effects on the song as
//     a whole (B, D, F, G, H, E6x, EEx); both players render that copy.
//     Channels silent in both renders are skipped.
// XM_COMPARE_DEBUG=1 in the environment lists the unmatched onsets.
// Exit status: 0 when every figure passes, 1 when one does not, 2 on errors.
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <numbers>
#include <numeric>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr int kOpenmptTailFrames = kRate / 10;
constexpr int kEnvelopeWindow = kRate / 20;  // 50 ms
constexpr int kFluxFrame = 1024;
constexpr int kFluxHop = kRate / 100;  // 10 ms
constexpr double kOnsetTolerance = 0.050;
constexpr char kUsage[] =
    "usage: xm-compare --ours PATH/vantomir-tool [--openmpt openmpt123] [--work DIR]\n"
    "                  [--no-solo] MODULE...\n";
constexpr double kMinF1 = 0.98, kMinMixCorrelation = 0.85, kMinChannelCorrelation = 0.95;

struct Options {
  std::string ours, openmpt = "openmpt123", work = "/tmp/xm-compare";
  bool solo = true;
  std::vector<std::string> modules;
};

struct Audio {
  std::vector<float> mono;  // (left + right) / 2, full scale 1
  int64_t frames = 0;
};

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), {});
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream f(path, std::ios::binary);
  f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return bool(f);
}

uint32_t U32(const std::vector<uint8_t>& d, size_t at) {
  return uint32_t(d[at]) | uint32_t(d[at + 1]) << 8 | uint32_t(d[at + 2]) << 16 | uint32_t(d[at + 3]) << 24;
}
uint16_t U16(const std::vector<uint8_t>& d, size_t at) { return uint16_t(d[at] | d[at + 1] << 8); }

// A 16-bit stereo PCM WAV file at 44100 Hz.
bool ReadWav(const std::string& path, Audio* audio) {
  const std::vector<uint8_t> d = ReadFile(path);
  if (d.size() < 12 || std::string(d.begin(), d.begin() + 4) != "RIFF") return false;
  size_t at = 12;
  int channels = 0, bits = 0;
  while (at + 8 <= d.size()) {
    const std::string tag(d.begin() + long(at), d.begin() + long(at) + 4);
    const uint32_t size = U32(d, at + 4);
    const size_t body = at + 8;
    if (tag == "fmt " && body + 16 <= d.size()) {
      channels = U16(d, body + 2);
      bits = U16(d, body + 14);
      if (U32(d, body + 4) != kRate) return false;
    } else if (tag == "data") {
      if (channels != 2 || bits != 16) return false;
      const size_t bytes = std::min<size_t>(size, d.size() - body);
      audio->frames = int64_t(bytes / 4);
      audio->mono.resize(size_t(audio->frames));
      for (int64_t i = 0; i < audio->frames; ++i) {
        const int16_t l = int16_t(U16(d, body + 4 * size_t(i)));
        const int16_t r = int16_t(U16(d, body + 4 * size_t(i) + 2));
        audio->mono[size_t(i)] = (float(l) + float(r)) / 65536.0f;
      }
      return true;
    }
    at = body + size + (size & 1);
  }
  return false;
}

//------------------------------------------------------------------------------
// Soloing: rewrite the patterns with one channel's cells kept whole.
//------------------------------------------------------------------------------

bool KeepsSongEffect(uint8_t effect, uint8_t param) {
  return effect == 0xB || effect == 0xD || effect == 0xF || effect == 16 || effect == 17 ||
         (effect == 0xE && ((param >> 4) == 0x6 || (param >> 4) == 0xE));
}

// The module with every channel but solo reduced to its song effects;
// solo < 0 keeps everything. Empty on a module this tool cannot rewrite.
std::vector<uint8_t> SoloModule(const std::vector<uint8_t>& in, int solo, int* channels) {
  if (in.size() < 80) return {};
  const size_t headerEnd = 60 + size_t(U32(in, 60));
  const int chans = U16(in, 68);
  const int patterns = U16(in, 70);
  *channels = chans;
  if (headerEnd > in.size()) return {};
  std::vector<uint8_t> out(in.begin(), in.begin() + long(headerEnd));
  size_t at = headerEnd;
  for (int p = 0; p < patterns; ++p) {
    if (at + 9 > in.size()) return {};
    const uint32_t headerLength = U32(in, at);
    const int rows = U16(in, at + 5);
    const uint16_t packed = U16(in, at + 7);
    const size_t data = at + headerLength;
    if (data + packed > in.size()) return {};
    std::vector<uint8_t> cells(size_t(rows) * chans * 5, 0);
    size_t q = data;
    for (size_t c = 0; c < cells.size() / 5 && q < data + packed; ++c) {
      uint8_t fields = 0x1F;
      if (in[q] & 0x80) fields = in[q++] & 0x1F;
      for (int i = 0; i < 5; ++i) {
        if ((fields & (1 << i)) && q < data + packed) cells[5 * c + i] = in[q++];
      }
    }
    std::vector<uint8_t> body;
    for (size_t c = 0; c < cells.size() / 5; ++c) {
      uint8_t* cell = &cells[5 * c];
      if (solo >= 0 && int(c % chans) != solo) {
        const bool keep = KeepsSongEffect(cell[3], cell[4]);
        const uint8_t effect = keep ? cell[3] : 0, param = keep ? cell[4] : 0;
        cell[0] = cell[1] = cell[2] = 0;
        cell[3] = effect;
        cell[4] = param;
      }
      uint8_t fields = 0x80;
      for (int i = 0; i < 5; ++i) {
        if (cell[i] != 0) fields |= uint8_t(1 << i);
      }
      body.push_back(fields);
      for (int i = 0; i < 5; ++i) {
        if (cell[i] != 0) body.push_back(cell[i]);
      }
    }
    if (body.size() > 0xFFFF) return {};
    out.insert(out.end(), in.begin() + long(at), in.begin() + long(at) + long(headerLength));
    const size_t sizeAt = out.size() - headerLength + 7;
    out[sizeAt] = uint8_t(body.size());
    out[sizeAt + 1] = uint8_t(body.size() >> 8);
    out.insert(out.end(), body.begin(), body.end());
    at = data + packed;
  }
  out.insert(out.end(), in.begin() + long(at), in.end());
  return out;
}

//------------------------------------------------------------------------------
// Measures
//------------------------------------------------------------------------------

void Fft(std::vector<std::complex<double>>& a) {
  const size_t n = a.size();
  for (size_t i = 1, j = 0; i < n; ++i) {
    size_t bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) std::swap(a[i], a[j]);
  }
  for (size_t len = 2; len <= n; len <<= 1) {
    const double angle = -2 * std::numbers::pi / double(len);
    const std::complex<double> w(std::cos(angle), std::sin(angle));
    for (size_t i = 0; i < n; i += len) {
      std::complex<double> wk(1);
      for (size_t k = 0; k < len / 2; ++k) {
        const auto u = a[i + k], v = a[i + k + len / 2] * wk;
        a[i + k] = u + v;
        a[i + k + len / 2] = u - v;
        wk *= w;
      }
    }
  }
}

double Rms(const std::vector<float>& x) {
  double sum = 0;
  for (float v : x) sum += double(v) * v;
  return x.empty() ? 0 : std::sqrt(sum / double(x.size()));
}

// Spectral flux of the signal scaled to unit RMS.
std::vector<double> Flux(const std::vector<float>& x) {
  const double scale = 1.0 / std::max(Rms(x), 1e-9);
  std::vector<double> window(kFluxFrame);
  for (int i = 0; i < kFluxFrame; ++i) {
    window[size_t(i)] = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * i / kFluxFrame);
  }
  std::vector<double> flux, previous(kFluxFrame / 2, 0.0);
  std::vector<std::complex<double>> frame(kFluxFrame);
  for (size_t start = 0; start + kFluxFrame <= x.size(); start += kFluxHop) {
    for (int i = 0; i < kFluxFrame; ++i) frame[size_t(i)] = x[start + size_t(i)] * scale * window[size_t(i)];
    Fft(frame);
    double sum = 0;
    for (int k = 1; k < kFluxFrame / 2; ++k) {
      const double m = std::log1p(10.0 * std::abs(frame[size_t(k)]));
      sum += std::max(0.0, m - previous[size_t(k)]);
      previous[size_t(k)] = m;
    }
    flux.push_back(sum);
  }
  return flux;
}

struct Peak {
  double time;
  double height;  // above the local mean
};

// The local maxima of the flux (within 30 ms either side; the first of equal
// values), each with its height above the mean of the 100 ms before it.
std::vector<Peak> FluxPeaks(const std::vector<double>& flux) {
  std::vector<Peak> peaks;
  const int n = int(flux.size());
  auto at = [&](int i) { return flux[size_t(i)]; };
  for (int t = 1; t < n; ++t) {
    bool top = true;
    for (int u = std::max(0, t - 3); u <= std::min(n - 1, t + 3) && top; ++u) {
      top = u < t ? at(u) < at(t) : at(u) <= at(t);
    }
    if (!top) continue;
    double mean = 0;
    int count = 0;
    for (int u = std::max(0, t - 10); u <= std::min(n - 1, t + 3); ++u, ++count) mean += at(u);
    peaks.push_back({double(t) * kFluxHop / kRate, at(t) - mean / count});
  }
  return peaks;
}

// Matches onsets of a (height >= threshold) against peaks of b (height >= minimum).
int Matched(const std::vector<Peak>& a, const std::vector<Peak>& b, double threshold, double minimum) {
  int matched = 0;
  size_t j = 0;
  for (const Peak& p : a) {
    if (p.height < threshold) continue;
    while (j < b.size() && b[j].time < p.time - kOnsetTolerance) ++j;
    bool found = false;
    for (size_t k = j; k < b.size() && b[k].time <= p.time + kOnsetTolerance; ++k) {
      if (b[k].height >= minimum) {
        ++matched;
        found = true;
        break;
      }
    }
    if (!found && std::getenv("XM_COMPARE_DEBUG")) {
      std::fprintf(stderr, "unmatched onset at %.3f s (height %.1f)\n", p.time, p.height);
    }
  }
  return matched;
}

double OnsetF1(const Audio& ours, const Audio& theirs, int* onsets) {
  const std::vector<double> fa = Flux(ours.mono), fb = Flux(theirs.mono);
  std::vector<double> all(fb);
  std::sort(all.begin(), all.end());
  const double threshold = all.empty() ? 1 : std::max(1.0, all[all.size() * 9 / 10]);
  const std::vector<Peak> a = FluxPeaks(fa), b = FluxPeaks(fb);
  auto count = [&](const std::vector<Peak>& p) {
    return int(std::count_if(p.begin(), p.end(), [&](const Peak& q) { return q.height >= threshold; }));
  };
  const int na = count(a), nb = count(b);
  *onsets = nb;
  if (na + nb == 0) return 1.0;
  const double recall = nb ? double(Matched(b, a, threshold, threshold / 2)) / nb : 1.0;
  const double precision = na ? double(Matched(a, b, threshold, threshold / 2)) / na : 1.0;
  return precision + recall > 0 ? 2 * precision * recall / (precision + recall) : 0.0;
}

std::vector<double> Envelope(const std::vector<float>& x, size_t windows) {
  std::vector<double> env(windows, 0.0);
  for (size_t w = 0; w < windows; ++w) {
    double sum = 0;
    const size_t end = std::min(x.size(), (w + 1) * kEnvelopeWindow);
    for (size_t i = w * kEnvelopeWindow; i < end; ++i) sum += double(x[i]) * x[i];
    env[w] = std::sqrt(sum / kEnvelopeWindow);
  }
  return env;
}

// Pearson correlation of the 50 ms RMS envelopes; NaN when either is flat.
double EnvelopeCorrelation(const Audio& a, const Audio& b) {
  const size_t windows = size_t(std::min(a.frames, b.frames) / kEnvelopeWindow);
  const std::vector<double> ea = Envelope(a.mono, windows), eb = Envelope(b.mono, windows);
  const double ma = std::accumulate(ea.begin(), ea.end(), 0.0) / double(windows);
  const double mb = std::accumulate(eb.begin(), eb.end(), 0.0) / double(windows);
  double sab = 0, saa = 0, sbb = 0;
  for (size_t i = 0; i < windows; ++i) {
    sab += (ea[i] - ma) * (eb[i] - mb);
    saa += (ea[i] - ma) * (ea[i] - ma);
    sbb += (eb[i] - mb) * (eb[i] - mb);
  }
  return saa > 0 && sbb > 0 ? sab / std::sqrt(saa * sbb) : NAN;
}

//------------------------------------------------------------------------------

std::string Quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

// Renders a module file with both players; false on a failure of either.
bool RenderBoth(const Options& o, const std::string& module, Audio* ours, Audio* theirs) {
  const std::string oursWav = module + ".ours.wav", theirsWav = module + ".wav";
  const std::string a = Quote(o.ours) + " render-xm " + Quote(module) + " " + Quote(oursWav) + " > /dev/null";
  const std::string b = Quote(o.openmpt) + " --quiet --render --force --samplerate 44100 --no-float" +
                        " --dither 0 " + Quote(module) + " > /dev/null 2>&1";
  if (std::system(a.c_str()) != 0) {
    std::fprintf(stderr, "xm-compare: our render of %s failed\n", module.c_str());
    return false;
  }
  if (std::system(b.c_str()) != 0) {
    std::fprintf(stderr, "xm-compare: openmpt123 failed on %s\n", module.c_str());
    return false;
  }
  const bool ok = ReadWav(oursWav, ours) && ReadWav(theirsWav, theirs);
  std::remove(oursWav.c_str());
  std::remove(theirsWav.c_str());
  if (!ok) std::fprintf(stderr, "xm-compare: cannot read the renders of %s\n", module.c_str());
  theirs->frames = std::max<int64_t>(0, theirs->frames - kOpenmptTailFrames);
  theirs->mono.resize(size_t(theirs->frames));
  return ok;
}

std::string BaseName(const std::string& path) { return path.substr(path.find_last_of('/') + 1); }

// 0 pass, 1 a figure fails, 2 error.
int CompareModule(const Options& o, const std::string& path) {
  const std::vector<uint8_t> image = ReadFile(path);
  int channels = 0;
  std::vector<uint8_t> whole = SoloModule(image, -1, &channels);
  if (whole.empty() || image.size() < 80) {
    std::fprintf(stderr, "xm-compare: %s: cannot read the module\n", path.c_str());
    return 2;
  }
  const std::string name = BaseName(path);
  const std::string work = o.work + "/" + name + ".xm";
  if (!WriteFile(work, image)) return 2;
  Audio ours, theirs;
  if (!RenderBoth(o, work, &ours, &theirs)) return 2;

  const int speed = std::max<int>(1, U16(image, 76)), tempo = std::max<int>(32, U16(image, 78));
  const int64_t rowFrames = int64_t(speed) * (110250 / tempo);
  const int64_t difference = ours.frames - theirs.frames;
  const bool lengthOk = std::llabs(difference) <= rowFrames;
  int onsets = 0;
  const double f1 = OnsetF1(ours, theirs, &onsets);
  const double mix = EnvelopeCorrelation(ours, theirs);
  bool ok = lengthOk && f1 >= kMinF1 && mix >= kMinMixCorrelation;
  std::printf("%-26s %2d ch  length %8.3f s vs %8.3f s (%+.2f rows)  onsets %5d F1 %.4f  mix r %.4f",
              name.c_str(), channels, double(ours.frames) / kRate, double(theirs.frames) / kRate,
              double(difference) / double(rowFrames), onsets, f1, mix);
  std::fflush(stdout);

  if (o.solo) {
    double worst = 2;
    int worstChannel = -1, measured = 0;
    std::string failing;
    for (int c = 0; c < channels; ++c) {
      const std::vector<uint8_t> solo = SoloModule(image, c, &channels);
      const std::string soloPath = o.work + "/" + name + ".solo" + std::to_string(c) + ".xm";
      Audio a, b;
      if (solo.empty() || !WriteFile(soloPath, solo) || !RenderBoth(o, soloPath, &a, &b)) return 2;
      std::remove(soloPath.c_str());
      if (Rms(a.mono) < 1e-4 && Rms(b.mono) < 1e-4) continue;  // a silent channel
      const double r = EnvelopeCorrelation(a, b);
      ++measured;
      if (!(r >= worst)) {
        worst = std::isnan(r) ? -1 : r;
        worstChannel = c;
      }
      if (!(r >= kMinChannelCorrelation)) {
        failing += " " + std::to_string(c) + ":" + std::to_string(r).substr(0, 6);
      }
    }
    std::printf("  channels %d, min r %.4f (ch %d)%s%s", measured, measured ? worst : 1.0, worstChannel,
                failing.empty() ? "" : "  below 0.95:", failing.c_str());
    ok = ok && failing.empty();
  }
  std::printf("  %s\n", ok ? "PASS" : "FAIL");
  std::remove(work.c_str());
  return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) {
        std::fprintf(stderr, "xm-compare: %s needs a value\n", a.c_str());
        std::exit(2);
      }
      return argv[++i];
    };
    if (a == "--ours") {
      o.ours = value();
    } else if (a == "--openmpt") {
      o.openmpt = value();
    } else if (a == "--work") {
      o.work = value();
    } else if (a == "--no-solo") {
      o.solo = false;
    } else if (a == "--help" || a == "-h") {
      std::printf("%s", kUsage);
      return 0;
    } else {
      o.modules.push_back(a);
    }
  }
  if (o.ours.empty() || o.modules.empty()) {
    std::fprintf(stderr, "%s", kUsage);
    return 2;
  }
  mkdir(o.work.c_str(), 0755);
  int status = 0;
  for (const std::string& m : o.modules) status = std::max(status, CompareModule(o, m));
  return status;
}
