#pragma once

namespace orvane {

/// The error report. Call only inside a catch block: shows the error being
/// handled (description, critical icon, its source as title). An exception
/// that is not an orvane::Error shows its text with the component ("Orvane")
/// as source. Never throws.
void ShowError();

} // namespace orvane
