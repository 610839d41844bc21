#pragma once
// The e-mail of a reported alert: subject and body composed from the event
// and its nearest place, logged in the archive file and handed to the SMTP
// client, which sends it on a thread of its own. Failures are logged there;
// nothing is retried or shown.
#include <cstdint>
#include <string>
#include <string_view>

#include "core/quake.h"
#include "core/timevalue.h"

inline constexpr const char* kEmailAddressFile = "EMAIL_ADDR.TXT";
inline constexpr std::size_t kSubjectTextMax = 159;  // the texts' buffers hold 160 and 2,048
inline constexpr std::size_t kBodyTextMax = 2047;

struct ReportingNetwork {
    const char* code;  // two upper-case letters; empty ends the table
    const char* name;
};
extern const ReportingNetwork gReportingNetworks[];

// The name of an upper-case network code by its first two characters; null when none.
const char* ReportingNetworkName(std::string_view code);

struct AlertEmailText {
    std::string subject, body;
};
// The texts for an upper-cased network code and a display offset from UTC.
AlertEmailText ComposeAlertEmail(const QuakeRecord& quake, const std::string& network, const std::string& id,
                                 const std::string& name, const std::string& region, const std::string& country,
                                 std::int32_t miles, const std::string& compass, int plantFlag, TimeValue offset);

void SendAlertEmail(const QuakeRecord& quake, std::string network, const std::string& id, const std::string& name,
                    const std::string& region, const std::string& country, std::int32_t miles,
                    const std::string& compass, int plantFlag);

// One entry at the end of ARCHIVE FILE NAME, never in the middle of one the mail's thread writes.
void AppendToArchive(const std::string& text);

// Until every posted e-mail has been sent or has failed; false when ms passed first.
bool WaitForOutgoingMail(int ms);
// What was posted and has not gone out is archived as not sent; later posts
// are refused the same way. The program's end does this by itself.
void AbandonOutgoingMail();
// The program's end, once its windows are gone: mail still on its way has up
// to kMailGraceMs to go out, unless a termination signal came (it ends the
// wait at once); what is left then is abandoned.
inline constexpr int kMailGraceMs = 10000;
void FinishOutgoingMail();
