#include "report/report_html.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string_view>

#include "geodesy/gauss_kruger_accuracy.h"
#include "geodesy/units.h"

namespace {

// The map is a plate carrée scaled by cos(latitude) at its centre: good enough to see tiles and
// polygons of a few tens of kilometres; a sphere of this radius sets its metres.
constexpr double kMapEarthRadius = 6371000.0;  // m
constexpr double kMapWidth = 900.0;            // px
constexpr double kMapMargin = 40.0;            // px

std::string fixed(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

std::string shortest(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

// 1, 2 or 5 times a power of ten, at most `value`.
double roundDown125(double value) {
  if (!(value > 0.0)) return 1.0;
  const double power = std::pow(10.0, std::floor(std::log10(value)));
  for (const double step : {5.0, 2.0, 1.0}) {
    if (step * power <= value) return step * power;
  }
  return power;
}

std::string boundsText(const Bounds3& b) {
  if (b.empty()) return "—";
  return fixed(b.min[0], 3) + " … " + fixed(b.max[0], 3) + "<br>" + fixed(b.min[1], 3) + " … " +
         fixed(b.max[1], 3) + "<br>" + fixed(b.min[2], 3) + " … " + fixed(b.max[2], 3);
}

// The map shows `geodetic` with a margin of a fifth of its size on each side; anything larger
// (a region's boundary around a small site) is cut at the edge.
class MapFrame {
 public:
  explicit MapFrame(const std::vector<Point3>& geodetic) {
    double minLon = 0, maxLon = 0, minLat = 0, maxLat = 0;
    bool any = false;
    for (const Point3& p : geodetic) {
      if (!std::isfinite(p.x) || !std::isfinite(p.y)) continue;
      if (!any) {
        minLon = maxLon = p.x;
        minLat = maxLat = p.y;
        any = true;
      }
      minLon = std::min(minLon, p.x);
      maxLon = std::max(maxLon, p.x);
      minLat = std::min(minLat, p.y);
      maxLat = std::max(maxLat, p.y);
    }
    lon0_ = (minLon + maxLon) / 2;
    lat0_ = (minLat + maxLat) / 2;
    metresPerDegree_ = kMapEarthRadius * kPi / kDegreesPerHalfTurn;
    cosLat_ = std::cos(radiansFromDegrees(lat0_));
    widthM_ = std::max((maxLon - minLon) * metresPerDegree_ * cosLat_ * 1.4, 100.0);
    heightM_ = std::max((maxLat - minLat) * metresPerDegree_ * 1.4, 100.0);
    pxPerM_ = (kMapWidth - 2 * kMapMargin) / std::max(widthM_, heightM_ * 1.2);
    height_ = heightM_ * pxPerM_ + 2 * kMapMargin + 30;
  }
  double x(const Point3& g) const {
    return kMapWidth / 2 + (g.x - lon0_) * metresPerDegree_ * cosLat_ * pxPerM_;
  }
  double y(const Point3& g) const {
    return kMapMargin + heightM_ * pxPerM_ / 2 - (g.y - lat0_) * metresPerDegree_ * pxPerM_;
  }
  double pxPerM() const { return pxPerM_; }
  double widthM() const { return widthM_; }
  double height() const { return height_; }

 private:
  double lon0_ = 0, lat0_ = 0, metresPerDegree_ = 1, cosLat_ = 1;
  double widthM_ = 1, heightM_ = 1, pxPerM_ = 1, height_ = 100;
};

std::string polygon(const MapFrame& frame, const std::vector<Point3>& ring, const char* cls,
                    const std::string& title) {
  std::string points;
  for (const Point3& g : ring) points += fixed(frame.x(g), 1) + "," + fixed(frame.y(g), 1) + " ";
  return "<polygon class=\"" + std::string(cls) + "\" points=\"" + points + "\"><title>" +
         htmlEscaped(title) + "</title></polygon>\n";
}

std::string mapSvg(const RunRecord& run, const CoordTranslateInfo& info,
                   const std::vector<ControlFitReport>& fits) {
  // The map is about the tiles and the control points; boundaries set it only without them.
  std::vector<Point3> focus;
  for (const FileRecord& f : run.files) {
    focus.insert(focus.end(), f.footprint.begin(), f.footprint.end());
  }
  for (const ProjectDefinition& d : info.projects) {
    focus.insert(focus.end(), d.srcpoints.begin(), d.srcpoints.end());
  }
  if (focus.empty()) {
    for (const ProjectDefinition& d : info.projects) {
      focus.insert(focus.end(), d.boundary.begin(), d.boundary.end());
    }
  }
  if (focus.empty()) {
    return "<p>Nothing to draw: no tile, boundary or control point has a position.</p>\n";
  }
  const MapFrame frame(focus);

  // Residual vectors: the largest drawn about 6% of the map's width.
  double largest = 0.0;
  for (const ControlFitReport& fit : fits) largest = std::max(largest, fit.maxHorizontal);
  const double factor = largest > 0.0 ? roundDown125(0.06 * frame.widthM() / largest) : 1.0;

  std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + fixed(kMapWidth, 0) +
                    "\" height=\"" + fixed(frame.height(), 0) + "\" viewBox=\"0 0 " +
                    fixed(kMapWidth, 0) + " " + fixed(frame.height(), 0) + "\">\n";
  svg += "<rect class=\"sea\" x=\"0\" y=\"0\" width=\"100%\" height=\"100%\"/>\n";
  svg += "<text x=\"" + fixed(kMapWidth - kMapMargin, 1) +
         "\" y=\"24\" text-anchor=\"end\">N ↑ · tiles (blue), boundaries (dashed), control "
         "points (red) with their horizontal residuals</text>\n";
  for (const ProjectDefinition& d : info.projects) {
    if (d.boundary.size() >= 3) {
      svg += polygon(frame, d.boundary, "boundary", "boundary of \"" + d.projectid + "\"");
    }
  }
  for (const FileRecord& f : run.files) {
    if (f.footprint.size() >= 3) svg += polygon(frame, f.footprint, "tile", f.input);
  }
  std::size_t fitIndex = 0;
  for (const ProjectDefinition& d : info.projects) {
    if (!d.isControlPoints()) continue;
    const ControlFitReport* fit = fitIndex < fits.size() ? &fits[fitIndex] : nullptr;
    ++fitIndex;
    for (std::size_t i = 0; i < d.srcpoints.size(); ++i) {
      const Point3& g = d.srcpoints[i];
      const double cx = frame.x(g), cy = frame.y(g);
      if (fit != nullptr && fit->ok && i < fit->points.size()) {
        const Point3& r = fit->points[i].residual;
        svg += "<line class=\"residual\" x1=\"" + fixed(cx, 1) + "\" y1=\"" + fixed(cy, 1) +
               "\" x2=\"" + fixed(cx + r.x * factor * frame.pxPerM(), 1) + "\" y2=\"" +
               fixed(cy - r.y * factor * frame.pxPerM(), 1) + "\"/>\n";
      }
      svg += "<circle class=\"point\" cx=\"" + fixed(cx, 1) + "\" cy=\"" + fixed(cy, 1) +
             "\" r=\"4\"><title>" + htmlEscaped(d.projectid) + " point " +
             std::to_string(i + 1) + "</title></circle>\n";
    }
  }
  // Scale bar: a round length near a fifth of the map's width.
  const double barM = roundDown125(frame.widthM() / 5);
  const double barPx = barM * frame.pxPerM();
  const double barY = frame.height() - 20;
  svg += "<line class=\"scale\" x1=\"" + fixed(kMapMargin, 1) + "\" y1=\"" + fixed(barY, 1) +
         "\" x2=\"" + fixed(kMapMargin + barPx, 1) + "\" y2=\"" + fixed(barY, 1) + "\"/>\n";
  svg += "<text x=\"" + fixed(kMapMargin, 1) + "\" y=\"" + fixed(barY - 6, 1) + "\">" +
         (barM >= 1000 ? fixed(barM / 1000, barM >= 10000 ? 0 : 1) + " km" : fixed(barM, 0) + " m") +
         "</text>\n";
  if (largest > 0.0) {
    svg += "<text x=\"" + fixed(kMapWidth - kMapMargin, 1) + "\" y=\"" + fixed(barY - 6, 1) +
           "\" text-anchor=\"end\">residual vectors × " + fixed(factor, 0) + "</text>\n";
  }
  return svg + "</svg>\n";
}

// "largest / RMS" of a round trip's distances, mm.
std::string largestAndRms(double largest, double rms) {
  return fixed(largest, 4) + " / " + fixed(rms, 4);
}

// The projection's own error where a file lies (geodesy/gauss_kruger_accuracy.h).
std::string projectionErrorText(const FileRecord& f) {
  if (!f.meridianOffset) return "—";
  const std::optional<GaussKrugerErrorBand> band =
      gaussKrugerError(*f.meridianOffset, f.largestLatitude);
  if (band) {
    return "forward " + fixed(band->forwardMm, 3) + ", inverse " + fixed(band->inverseMm, 3) +
           " (|latitude| ≤ " + fixed(band->maxLatitude, 0) + "°)";
  }
  return *f.meridianOffset > kGaussKrugerMeasuredOffset
             ? "not measured beyond " + fixed(kGaussKrugerMeasuredOffset, 0) +
                   "°: grows quickly"
             : std::string("not measured beyond 80° latitude");
}

// Each file's round trip, its place from the central meridian with the projection's own error
// there, the control fits in brief, and the resolution of the numbers written.
std::string accuracySection(const RunRecord& run, const std::vector<ControlFitReport>& fits) {
  std::string html =
      "<h2>Accuracy</h2>\n<p>Round trip: the vertices sampled from each file (every vertex of "
      "a file up to 15 MB, else one in size / 15 MB, chosen by a hash of its numbers: about "
      "100,000 or more) converted, rounded to the six decimals written, and converted back "
      "through the inverse conversion; the distance to the input as read, largest / RMS in "
      "mm. Highlighted above "
      "-maxclosure=" + shortest(run.maxClosureMm) + " mm or where a way back failed (off the "
      "projection).</p>\n<table>\n<tr><th>input</th><th>sampled</th><th>horizontal mm</th>"
      "<th>vertical mm</th><th>from central meridian</th><th>projection's own error mm</th>"
      "</tr>\n";
  for (const FileRecord& f : run.files) {
    const RoundTripTally& t = f.roundTrip;
    html += std::string(t.exceeds(run.maxClosureMm) ? "<tr class=\"over\">" : "<tr>") +
            "<td class=\"name\">" + htmlEscaped(f.input) + "</td><td>" +
            std::to_string(t.sampled()) + "</td>";
    if (t.failed() > 0) {
      html += "<td colspan=\"2\" class=\"name\">failed for " + std::to_string(t.failed()) +
              " vertices</td>";
    } else {
      html += "<td>" + largestAndRms(t.maxHorizontalMm(), t.rmsHorizontalMm()) + "</td><td>" +
              largestAndRms(t.maxVerticalMm(), t.rmsVerticalMm()) + "</td>";
    }
    html += "<td>" + (f.meridianOffset ? fixed(*f.meridianOffset, 3) + "°" : "—") +
            "</td><td class=\"name\">" + projectionErrorText(f) + "</td></tr>\n";
  }
  html += "</table>\n";
  for (const ControlFitReport& fit : fits) {
    if (!fit.ok) continue;
    html += "<p>Control points \"" + htmlEscaped(fit.projectid) + "\": largest residual " +
            fixed(fit.maxHorizontal * 1000, 1) + " mm horizontally, " +
            fixed(fit.maxUp * 1000, 1) + " mm up (its section below).</p>\n";
  }
  return html + "<p>Written numbers: six decimals, a resolution of 1 µm.</p>\n";
}

const char kStyle[] = R"(
body { font: 14px/1.4 sans-serif; margin: 2em; color: #222; max-width: 1000px; }
h1 { font-size: 1.5em; } h2 { font-size: 1.2em; margin-top: 2em; }
table { border-collapse: collapse; margin: 0.5em 0; }
th, td { border: 1px solid #ccc; padding: 3px 8px; text-align: right; vertical-align: top; }
th { background: #f0f0f0; } td.name { text-align: left; }
tr.over td { background: #ffd9d9; font-weight: bold; }
.failed { color: #b00; font-weight: bold; } .ok { color: #070; font-weight: bold; }
svg { border: 1px solid #ccc; background: #fff; }
svg .sea { fill: #f7f9fb; } svg .tile { fill: #7aa6d8; fill-opacity: 0.35; stroke: #2a5d9a; }
svg .boundary { fill: none; stroke: #c77800; stroke-width: 2; stroke-dasharray: 6 3; }
svg .point { fill: #b00; } svg .residual { stroke: #b00; stroke-width: 2; }
svg .scale { stroke: #222; stroke-width: 3; } svg text { font: 12px sans-serif; fill: #222; }
)";

}  // namespace

std::string htmlEscaped(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string renderReportHtml(const RunRecord& run, const CoordTranslateInfo& info,
                             const std::vector<ControlFitReport>& fits, double maxResidual) {
  std::string html = "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
                     "<title>quorvex report</title><style>";
  html += kStyle;
  html += "</style></head><body>\n<h1>quorvex report</h1>\n";
  html += std::string("<p class=\"") + (run.succeeded ? "ok" : "failed") + "\">" +
          htmlEscaped(run.outcome) + "</p>\n";

  html += "<h2>Run</h2>\n<table>\n";
  html += "<tr><th>mode</th><td class=\"name\">" + htmlEscaped(run.mode) + "</td></tr>\n";
  html += "<tr><th>coordinate file</th><td class=\"name\">" + htmlEscaped(run.coordPath) +
          "</td></tr>\n";
  if (run.origin) {
    html += "<tr><th>ENU origin</th><td class=\"name\">longitude " + fixed(run.origin->lon, 8) +
            "°, latitude " + fixed(run.origin->lat, 8) + "°, height " +
            fixed(run.origin->height, 3) + " m (" + htmlEscaped(run.originSource) + ")</td></tr>\n";
  }
  if (run.zoneCode) {
    html += "<tr><th>zone</th><td class=\"name\">" + std::to_string(*run.zoneCode) +
            " (central meridian " + fixed((*run.zoneCode - 4534) * 3.0 + 75.0, 0) +
            "°)</td></tr>\n";
  }
  std::uint64_t vertices = 0;
  for (const FileRecord& f : run.files) vertices += f.vertexCount;
  html += "<tr><th>files</th><td class=\"name\">" + std::to_string(run.files.size()) + ", " +
          std::to_string(vertices) + " vertices</td></tr>\n";
  if (!run.materialFiles.empty()) {
    std::string names;
    for (const std::string& name : run.materialFiles) {
      names += (names.empty() ? "" : "<br>") + htmlEscaped(name);
    }
    html += "<tr><th>material files written</th><td class=\"name\">" + names + "</td></tr>\n";
  }
  html += "<tr><th>time</th><td class=\"name\">" + fixed(run.seconds, 2) + " s</td></tr>\n";
  html += "</table>\n";

  html += "<h2>Files</h2>\n<table>\n<tr><th>input</th><th>output</th><th>vertices</th>"
          "<th>input box (x, y, z)</th><th>output box (x, y, z)</th></tr>\n";
  for (const FileRecord& f : run.files) {
    html += "<tr><td class=\"name\">" + htmlEscaped(f.input) + "</td><td class=\"name\">" +
            htmlEscaped(f.output) + "</td><td>" + std::to_string(f.vertexCount) + "</td><td>" +
            boundsText(f.inputBounds) + "</td><td>" + boundsText(f.outputBounds) + "</td></tr>\n";
  }
  html += "</table>\n";
  html += accuracySection(run, fits);

  for (const ControlFitReport& fit : fits) {
    html += "<h2>Control points \"" + htmlEscaped(fit.projectid) + "\"</h2>\n";
    if (!fit.ok) {
      html += "<p class=\"failed\">No transform: " + htmlEscaped(fit.reason) +
              ". Vertices of this definition cannot be converted.</p>\n";
      continue;
    }
    html += "<p>Transform " + htmlEscaped(fit.transformSource) + ". Residual = project point − " +
            "transformed control point; highlighted above " + fixed(maxResidual * 1000, 1) +
            " mm horizontally or in height.</p>\n";
    html += "<table>\n<tr><th>#</th><th>longitude °</th><th>latitude °</th><th>height m</th>"
            "<th>x m</th><th>y m</th><th>z m</th><th>east mm</th><th>north mm</th>"
            "<th>up mm</th><th>horizontal mm</th></tr>\n";
    for (std::size_t i = 0; i < fit.points.size(); ++i) {
      const ControlPointResidual& p = fit.points[i];
      html += std::string(exceeds(p, maxResidual) ? "<tr class=\"over\">" : "<tr>") + "<td>" +
              std::to_string(i + 1) + "</td><td>" + fixed(p.source.x, 8) + "</td><td>" +
              fixed(p.source.y, 8) + "</td><td>" + fixed(p.source.z, 3) + "</td><td>" +
              fixed(p.target.x, 3) + "</td><td>" + fixed(p.target.y, 3) + "</td><td>" +
              fixed(p.target.z, 3) + "</td><td>" + fixed(p.residual.x * 1000, 1) + "</td><td>" +
              fixed(p.residual.y * 1000, 1) + "</td><td>" + fixed(p.residual.z * 1000, 1) +
              "</td><td>" + fixed(p.horizontal * 1000, 1) + "</td></tr>\n";
    }
    html += "</table>\n<p>RMS horizontal " + fixed(fit.rmsHorizontal * 1000, 1) + " mm, up " +
            fixed(fit.rmsUp * 1000, 1) + " mm; largest horizontal " +
            fixed(fit.maxHorizontal * 1000, 1) + " mm, up " + fixed(fit.maxUp * 1000, 1) +
            " mm.</p>\n";
    const std::array<double, 7>& a = fit.readableArgs;
    html += "<p>Seven parameters (ENU → project, about the centroids below; rotations in "
            "arc-seconds, coordinate-frame convention):</p>\n";
    html += "<table>\n<tr><th>tx m</th><th>ty m</th><th>tz m</th><th>εx ″</th><th>εy ″</th>"
            "<th>εz ″</th><th>scale ppm</th></tr>\n<tr><td>" + fixed(a[0], 4) + "</td><td>" +
            fixed(a[1], 4) + "</td><td>" + fixed(a[2], 4) + "</td><td>" + fixed(a[3], 4) +
            "</td><td>" + fixed(a[4], 4) + "</td><td>" + fixed(a[5], 4) + "</td><td>" +
            fixed(a[6], 3) + "</td></tr>\n</table>\n";
    html += "<p>Centroid of the control points: ENU (" + fixed(fit.sourceCentroid[0], 3) + ", " +
            fixed(fit.sourceCentroid[1], 3) + ", " + fixed(fit.sourceCentroid[2], 3) +
            ") m, project (" + fixed(fit.targetCentroid[0], 3) + ", " +
            fixed(fit.targetCentroid[1], 3) + ", " + fixed(fit.targetCentroid[2], 3) +
            ") m.</p>\n";
  }

  html += "<h2>Map</h2>\n" + mapSvg(run, info, fits);
  html += "</body></html>\n";
  return html;
}
