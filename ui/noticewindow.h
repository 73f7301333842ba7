// NoticeWindow: shows the exam precautions the server sends and takes the examinee's
// agreement; meanwhile the exam schedule arrives and is kept in ExamState.
#pragma once

#include "ui/toolkit.h"

namespace examclient::ui {

inline constexpr char kNoticeWindowName[] = "NoticeWindow";

// The window's table of controls, settings and handlers.
WindowDefinition noticeWindowDefinition();

const WindowFactory& noticeWindow();

} // namespace examclient::ui
