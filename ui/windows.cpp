// The four windows are added here.
