// NoticeWindow: shows the exam precautions the server sends and takes the examinee's
// agreement; meanwhile the exam schedule arrives and is kept in ExamState.
#pragma once

#include "app/text.h"
#include "ui/toolkit.h"

namespace examclient::ui {

inline constexpr char kNoticeWindowName[] = "NoticeWindow";

// The window's table of controls, settings and handlers.
WindowDefinition noticeWindowDefinition();

const WindowFactory& noticeWindow();

// Stores a schedule (start time, "fg", duration in minutes) in ExamState. Fields after the
// second are ignored. One without two fields is no schedule: it is dropped and the values
// stored before stay, so that a garbled message cannot end the exam.
void storeSchedule(const Text& schedule);

} // namespace examclient::ui
