#pragma once

#include "WebBrowser.h"

#include <QList>
#include <QPointer>
#include <QQueue>
#include <QStringList>
#include <QWidget>

// A browser control for tests: it records what it is asked to show, and answers reads of its
// busy state from a queue (nothing in the queue: `steady`; an empty optional: a failed read).
class FakeBrowser final : public TBrowserControl {
public:
    explicit FakeBrowser(QWidget *parent)
        : m_view(new QWidget(parent))
    {
    }
    ~FakeBrowser() override { delete m_view.data(); }

    QStringList navigated;
    bool refuse = false;
    QQueue<std::optional<bool>> busyReads;
    std::optional<bool> steady = false;
    int reads = 0;

    bool Navigate(const QString &url, const QVariant &, const QVariant &, const QVariant &,
        const QVariant &) override
    {
        navigated << url;
        return !refuse;
    }
    std::optional<bool> Busy() override
    {
        ++reads;
        return busyReads.isEmpty() ? steady : busyReads.dequeue();
    }
    QWidget *view() override { return m_view; }

private:
    QPointer<QWidget> m_view;
};

// A factory that makes FakeBrowsers and keeps the last one made for the test to inspect.
struct FakeBrowserFactory {
    FakeBrowser *last = nullptr;
    int made = 0;
    int failFirst = 0; // this many calls make nothing, as a control that cannot start

    BrowserFactory factory()
    {
        return [this](QWidget *parent) -> std::unique_ptr<TBrowserControl> {
            ++made;
            if (failFirst > 0) {
                --failFirst;
                return nullptr;
            }
            auto browser = std::make_unique<FakeBrowser>(parent);
            last = browser.get();
            return browser;
        };
    }
};
