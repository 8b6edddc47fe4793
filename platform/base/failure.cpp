#include "platform/base/failure.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <iostream>

namespace volq {

namespace {

std::atomic<int> late_failures{0};

}  // namespace

void FailConversion(std::string_view cause, std::string_view text) {
  const std::string subject = "'" + std::string(text) + "'";
  throw Failure(Failure::Kind::Conversion, std::string(cause) + ": " + subject, std::string(cause),
                subject);
}

std::string Printable(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (unsigned char c : text) {
    if (c >= 0x20 && c != 0x7f) {
      out += static_cast<char>(c);
      continue;
    }
    switch (c) {
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default: {
        static const char kHex[] = "0123456789abcdef";
        out += "\\x";
        out += kHex[c >> 4];
        out += kHex[c & 15];
      }
    }
  }
  return out;
}

namespace {
constexpr size_t kShownSubjects = 3;
}

void FailureFold::Add(std::string_view what, std::string_view cause, std::string_view subject,
                      std::string_view detail) {
  std::string key(what);
  key += '\0';
  key += cause;
  auto it = entries_.find(key);
  if (it == entries_.end()) {
    Entry e;
    e.what = what;
    e.cause = cause;
    e.first_detail = detail;
    it = entries_.emplace(key, std::move(e)).first;
    order_.push_back(key);
  }
  Entry& e = it->second;
  ++e.times;
  if (std::find(e.subjects.begin(), e.subjects.end(), subject) != e.subjects.end()) return;
  if (e.subjects.size() < kShownSubjects) {
    e.subjects.emplace_back(subject);
  } else {
    e.more_subjects = true;
  }
}

void FailureFold::AddOnce(std::string_view what, std::string_view cause, std::string_view subject,
                          std::string_view detail) {
  std::string key(what);
  key += '\0';
  key += cause;
  const auto it = entries_.find(key);
  if (it != entries_.end()) {
    const std::vector<std::string>& s = it->second.subjects;
    if (std::find(s.begin(), s.end(), subject) != s.end()) return;
  }
  Add(what, cause, subject, detail);
}

std::vector<std::string> FailureFold::Lines() const {
  std::vector<std::string> lines;
  for (const std::string& key : order_) {
    const Entry& e = entries_.find(key)->second;
    const std::string times = std::to_string(e.times) + " times";
    std::string line = e.what.empty() ? "" : e.what + ": ";
    if (e.subjects.size() <= 1) {
      line += e.first_detail;
      if (e.times > 1) line += " (" + times + ")";
    } else {
      line += e.cause + " (" + times + "; first: ";
      for (size_t i = 0; i < e.subjects.size(); ++i) line += (i ? ", " : "") + e.subjects[i];
      if (e.more_subjects) line += ", ...";
      line += ")";
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

void ReportLateFailure(std::string_view text) {
  std::cerr << "failure: " << Printable(text) << '\n' << std::flush;
  ++late_failures;
}

int LateFailureCount() { return late_failures.load(); }

}  // namespace volq
