// For the compile check only (scripts/check-mac.sh): the part of Apple's
// ServiceManagement framework that Quimbo uses, declared as Apple documents
// it (SMAppService, macOS 13).
#pragma once

#import <Foundation/Foundation.h>

@interface SMAppService : NSObject
+ (instancetype)daemonServiceWithPlistName:(NSString*)plistName;
- (BOOL)unregisterAndReturnError:(NSError**)error;
@end
