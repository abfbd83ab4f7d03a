#include "report/JUnit.h"

#include "model/Text.h"

namespace orvane::host {

std::string XmlEscaped(const std::string &given) {
  // Bytes that are not UTF-8 (a module path such as m\xFF.so) become U+FFFD, as in the dump, and
  // so do the two code points XML 1.0 leaves out.
  std::string text = ValidUtf8(given);
  for (const char *never : {"\xEF\xBF\xBE", "\xEF\xBF\xBF"}) {
    for (std::size_t at; (at = text.find(never)) != std::string::npos;)
      text.replace(at, 3, "\xEF\xBF\xBD");
  }
  std::string out;
  out.reserve(text.size());
  for (const char ch : text) {
    const unsigned char c = static_cast<unsigned char>(ch);
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&apos;";
        break;
      case '\n':
        out += "&#10;";
        break;
      case '\r':
        out += "&#13;";
        break;
      case '\t':
        out += "&#9;";
        break;
      default:
        if (c < 0x20 || c == 0x7F) {
          out += "\xEF\xBF\xBD";
        } else {
          out += ch;
        }
    }
  }
  return out;
}

std::string JUnitXml(const Json &report) {
  const Json &checks = report.at("checks");
  int failures = 0, errors = 0;
  for (const Json &check : checks) {
    failures += check.at("outcome") == "failed";
    errors += check.at("outcome") == "crashed" || check.at("outcome") == "timed out";
  }
  const std::string counts = " tests=\"" + std::to_string(checks.size()) + "\" failures=\"" +
                             std::to_string(failures) + "\" errors=\"" + std::to_string(errors) +
                             "\"";
  const std::string module = report.value("module", std::string());
  std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  out += "<testsuites name=\"orvane-host validate\"" + counts + ">\n";
  out += "  <testsuite name=\"" + XmlEscaped(module) + "\"" + counts + " skipped=\"0\">\n";
  for (const Json &check : checks) {
    const std::string outcome = check.at("outcome").get<std::string>();
    out += "    <testcase classname=\"validate\" name=\"" +
           XmlEscaped(check.at("id").get<std::string>()) + "\"";
    if (outcome == "passed") {
      out += "/>\n";
      continue;
    }
    std::string details = check.at("description").get<std::string>();
    std::string first = outcome;
    for (const Json &failure : check.at("failures")) {
      if (first == outcome) first = failure.get<std::string>();
      details += "\n" + failure.get<std::string>();
    }
    const char *element = outcome == "failed" ? "failure" : "error";
    out += ">\n      <" + std::string(element) + " type=\"" + XmlEscaped(outcome) +
           "\" message=\"" + XmlEscaped(first) + "\">" + XmlEscaped(details) + "</" + element +
           ">\n    </testcase>\n";
  }
  out += "  </testsuite>\n</testsuites>\n";
  return out;
}

}  // namespace orvane::host
