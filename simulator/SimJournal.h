// SimJournal.h - one line per call appended to the file named by VTLSIM_JOURNAL.
#pragma once

#include <string>

namespace vtlsim
{

// Appends "<pid> <entry>\n" in one write; does nothing when VTLSIM_JOURNAL is unset.
void Journal(const std::string &entry);

// With times on, lines read "<pid> @<ms> <entry>": ms from a clock all processes share.
void SetJournalTimes(bool bOn);

} // namespace vtlsim
