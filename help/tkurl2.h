#pragma once
// A link: a blue underlined label with the hand cursor that opens a web
// address, or a new mail to an address, when clicked (OpenLink).
#include <QWidget>

class QLabel;
class LinkOpener;

class TKURL2 : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString URLorEMAIL READ URLorEMAIL WRITE setURLorEMAIL)
    Q_PROPERTY(bool ShowHint READ ShowHint WRITE setShowHint)
    Q_PROPERTY(LinkType Choose READ Choose WRITE setChoose)
public:
    enum LinkType { ltURL, ltEMAIL };
    Q_ENUM(LinkType)

    explicit TKURL2(QWidget* parent = nullptr);

    static QString placeholderAddress();
    static QString defaultHint();

    // The target, which is also the label's text; the control takes the
    // label's width.
    QString URLorEMAIL() const;
    void setURLorEMAIL(const QString& target);
    // Whether the label shows hints.
    bool ShowHint() const { return showHint_; }
    void setShowHint(bool show) { showHint_ = show; }
    LinkType Choose() const { return choose_; }
    void setChoose(LinkType choose) { choose_ = choose; }

    QLabel* label() const { return label_; }
    // Where links are sent; the desktop's opener when null.
    void setLinkOpener(LinkOpener* opener) { opener_ = opener; }

public slots:
    // Opens the target: "mailto:" + address for a mail address.
    void OpenLink();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* label_ = nullptr;
    bool showHint_ = true;
    LinkType choose_ = ltURL;
    LinkOpener* opener_ = nullptr;
};
