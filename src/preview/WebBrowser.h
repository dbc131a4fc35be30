#pragma once

#include <QString>
#include <QVariant>

#include <functional>
#include <memory>
#include <optional>

class QWidget;

// The browser's automation interface, as far as the preview uses it.
class IWebBrowser {
public:
    virtual ~IWebBrowser() = default;
    // Starts loading `url`; false when the browser refused the request.
    virtual bool Navigate(const QString &url, const QVariant &flags,
        const QVariant &targetFrameName, const QVariant &postData, const QVariant &headers)
        = 0;
    // Whether the browser is loading; nothing when the state could not be read.
    virtual std::optional<bool> Busy() = 0;
};

// A browser control: the automation interface, the widget it draws in, and its events
// (identified by their dispatch ids) delivered to the host.
class TBrowserControl : public IWebBrowser {
public:
    virtual QWidget *view() = 0;
    std::function<void(int dispid)> deliverEvent;
};

// Makes the control inside `parent`; null when it cannot be made.
using BrowserFactory = std::function<std::unique_ptr<TBrowserControl>(QWidget *parent)>;

// Browser event dispatch ids.
inline constexpr int DISPID_BEFORENAVIGATE = 100;
inline constexpr int DISPID_NAVIGATECOMPLETE = 101;
