// The report framework at a glance: what a report procedure uses of it.
#pragma once

// A report's declarative structure: paper, fonts, detail area, bands and their controls.
#include "platform/report/report_structure.hpp"
// Variables bound to a report, read each time a band that shows them is printed.
#include "platform/report/report_variable.hpp"
// An instance of a structure: prints bands onto pages, numbers them, ends and closes.
#include "platform/report/report_instance.hpp"
// The laid-out pages as data, per page its bands and their items as printed.
#include "platform/report/page_set.hpp"
// The output seam: a print preview, and printing to a printer or a PDF file.
#include "platform/report/report_output.hpp"
// The preview shown until the user leaves it or the pages have been printed.
#include "platform/report/preview_session.hpp"
// Today's date and the time of day, from one reading.
#include "platform/report/clock.hpp"
// The progress measure over rows read in the order of a text key.
#include "platform/report/string_step.hpp"
// The rows of a report read in a key's order, with the progress they show.
#include "platform/report/record_process.hpp"
// The print preview the finished pages go to.
#include "platform/report/print_preview.hpp"
// The controller over the progress window that drives a report from rows to preview.
#include "platform/report/report_controller.hpp"
