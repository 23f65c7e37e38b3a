// What the windows and the command line say of the same typed time, in the same words: the plan
// and delay windows' notes and what tickora plan and tickora delay write to standard error.
#pragma once

struct TimeRefusal {
    const char* row;
    const char* seconds; // as typed, in seconds
    const char* plan;    // what the plans say of it
    const char* delay;   // what the delays say of it
};

inline constexpr TimeRefusal timeRefusals[] = {
    {"empty", "", "请输入有效的定时时间", "请输入有效的延时时间"},
    {"a letter", "1x", "请输入有效的定时时间", "请输入有效的延时时间"},
    {"two points", "1.2.3", "请输入有效的定时时间", "请输入有效的延时时间"},
    {"zero", "0", "请输入有效的定时时间", "请输入有效的延时时间"},
    {"negative", "-1", "请输入有效的定时时间", "请输入有效的延时时间"},
    {"a year and more", "1e12", "定时时间太长，超出定时范围", "延时太长：循环最长约"},
    {"beyond an exact value", "1e40", "定时时间太长，超出定时范围", "延时太长：循环最长约"},
    {"beyond a double", "1e400", "定时时间太长，超出定时范围", "延时太长：循环最长约"},
};
