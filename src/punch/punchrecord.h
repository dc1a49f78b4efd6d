#pragma once
namespace pw {
enum PunchStatus { kOpen = 1, kClosed = 2, kBad = 3, kApproved = 4, kExported = 5 };
}
