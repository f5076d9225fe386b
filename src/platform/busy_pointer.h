#pragma once

class QWidget;

// Disables the window and shows the wait pointer for as long as it lives, or until release.
class BusyPointer
{
public:
    explicit BusyPointer(QWidget *window);
    ~BusyPointer() { release(); }
    BusyPointer(const BusyPointer &) = delete;
    BusyPointer &operator=(const BusyPointer &) = delete;

    // Enables the window again and restores the pointer.
    void release();

private:
    QWidget *window_;
    bool active_ = true;
};
