#pragma once
#include <QString>
#include <functional>

class QObject;

// The threaded reload of the table models: a "Loading Data" window driven to
// 100 in ten ticks of 200 ms by a pool thread, then `reload` on the thread of
// `model` (views read the model there), then the window closes. Returns at
// once. When the model is deleted first, the window still closes.
void startReloadBehindProgress(QObject *model, const QString &text, std::function<void()> reload);
