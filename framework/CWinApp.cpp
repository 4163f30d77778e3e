#include "framework/CWinApp.h"

#include "framework/AfxModule.h"

CWinApp::CWinApp() : m_hInstance(AfxGetInstanceHandle()) {}
