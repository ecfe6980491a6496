// What every failure box of the company tab is checked for: a Polish sentence on
// its first line, the database's or the service's own text below it.
#pragma once

#include <gtest/gtest.h>
#include <wx/string.h>

namespace {

inline void ExpectPolishLeadThenDetail(const wxString& message, const wxString& detail) {
  const wxString lead = message.BeforeFirst('\n');
  EXPECT_FALSE(lead.Contains(detail)) << message.utf8_str().data();
  EXPECT_NE(lead.find_first_of(wxString::FromUTF8("ąćęłńóśźżĄĆĘŁŃÓŚŹŻ")), wxString::npos)
      << message.utf8_str().data();
  EXPECT_TRUE(message.AfterFirst('\n').Contains(detail)) << message.utf8_str().data();
}

}  // namespace
